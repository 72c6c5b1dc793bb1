#include "window/form1_win.h"

#include <commctrl.h>

#include <iterator>
#include <vector>

#include "platform/app_name.h"
#include "platform/display.h"
#include "platform/handles_win.h"
#include "platform/shell.h"
#include "server/command_line.h"

namespace window {

const char kFormCaption[] = "Vigilo v1.0 by Valmo";
const char kAppTitle[] = "Vigilo";
const char kMissingServerMessage[] = "This program must be in the same folder as NWServer";

namespace {

const char kClassName[] = "VigiloForm1";
const DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
const char kDefaultFontFace[] = "MS Shell Dlg";
const int kDefaultFontPoints = 8;
const int kComboDropRows = 14;
const int kComboBorder = 6;       // closed combo = selection field + this, at 96 DPI on Windows
const UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED
const UINT kGetDpiScaledSize = 0x02E4;  // WM_GETDPISCALEDSIZE

// The system's character set: national letters show as typed; on a Western
// system this is the Western font.
platform::UniqueFont MakeFont(const char* face, int centipoints, int weight, int dpi) {
  return platform::UniqueFont(::CreateFontA(
      -MulDiv(centipoints, dpi, 7200), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
}

}  // namespace

std::string WindowText(HWND window) {
  int length = ::GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int copied = ::GetWindowTextA(window, &text[0], length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

Form1::Form1() = default;

Form1::~Form1() {
  supervisor_.reset();
  timer1_.reset();
  if (hwnd_) ::DestroyWindow(hwnd_);  // the controls let go of fonts_ before it goes
}

bool Form1::Create(HINSTANCE instance) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(1));
  wc.hIconSm = wc.hIcon;
  wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  if (!::RegisterClassExA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

  dpi_ = platform::WindowDpi(nullptr);
  SIZE size = FrameSize(dpi_);
  hwnd_ =
      ::CreateWindowExA(WS_EX_CONTROLPARENT, kClassName, kFormCaption, kFormStyle, CW_USEDEFAULT,
                        CW_USEDEFAULT, size.cx, size.cy, nullptr, nullptr, instance, this);
  if (!hwnd_) return false;
  int windowDpi = platform::WindowDpi(hwnd_);
  if (windowDpi != dpi_) OnDpiChanged(windowDpi, nullptr);

  appName_ = platform::ApplicationName(platform::ExecutablePath());
  store_ = platform::CreateRegistryStore();
  processes_ = platform::CreateSystemProcessApi();
  windows_ = platform::CreateDesktopWindowList();
  timer1_ = platform::CreateWindowTimer(hwnd_, kTimer1Id);
  supervisor_ = std::make_unique<supervision::Supervisor>(static_cast<supervision::Host&>(*this),
                                                          *timer1_, *processes_, *windows_);
  CreateControls();
  return true;
}

void Form1::CreateControls() {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE));
  fonts_ = MakeFonts(dpi_);
  // The Z order is the order of creation, so each control is made where it
  // ends up. First the boxes in tab order (the dialog manager tabs through
  // siblings in Z order). Then the captions, beneath the boxes they overlap
  // ("Difficulty" runs under Diff), and last the frame, lowest, so its labels
  // show. None of those takes the focus, so the tab order stays.
  for (int pass = 0; pass < 3; ++pass)
    for (int i = 0; i < kControlCount; ++i) {
      const ControlSpec& spec = kControls[i];
      const int kindPass = spec.kind == ControlKind::Label   ? 1
                           : spec.kind == ControlKind::Frame ? 2
                                                             : 0;
      if (kindPass != pass || controls_[i]) continue;
      // Screen readers name a box after the STATIC just above it in Z order.
      // A caption that overlaps nothing can be that STATIC; the others lie
      // beneath, so their boxes (and the log, which has no caption) get a
      // hidden label right above.
      if (const char* name = AccessibleName(spec)) {
        const ControlSpec* caption = CaptionLabel(spec);
        if (caption && OverlapsNoControl(*caption))
          CreateControl(static_cast<int>(caption - kControls), instance);
        else
          ::CreateWindowExA(0, "STATIC", name, WS_CHILD | SS_NOPREFIX, 0, 0, 0, 0, hwnd_, nullptr,
                            instance, nullptr);
      }
      CreateControl(i, instance);
    }
  built_ = true;
}

void Form1::CreateControl(int i, HINSTANCE instance) {
  const ControlSpec& spec = kControls[i];
  const char* cls = "STATIC";
  DWORD style = WS_CHILD | WS_VISIBLE, exStyle = 0;
  switch (spec.kind) {
    case ControlKind::TextBox:
      cls = "EDIT";
      style |= WS_TABSTOP | ES_AUTOHSCROLL;
      exStyle = WS_EX_CLIENTEDGE;
      break;
    case ControlKind::ComboBox:
      cls = "COMBOBOX";
      style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN;
      break;
    case ControlKind::CheckBox:
      cls = "BUTTON";
      // Clicks are toggled here, never to grayed; long captions wrap.
      style |= WS_TABSTOP | BS_3STATE | BS_MULTILINE;
      break;
    case ControlKind::Button:
      cls = "BUTTON";
      style |= WS_TABSTOP | BS_PUSHBUTTON;
      break;
    case ControlKind::Label:
      // "&" in a password must show as typed. Clipped by the boxes above.
      style |= SS_LEFT | SS_NOPREFIX | WS_CLIPSIBLINGS;
      break;
    case ControlKind::Frame:
      cls = "BUTTON";
      style |= BS_GROUPBOX | WS_CLIPSIBLINGS;
      break;
    case ControlKind::ListBox:
      cls = "LISTBOX";
      style |= WS_VSCROLL | LBS_NOINTEGRALHEIGHT;
      exStyle = WS_EX_CLIENTEDGE;
      break;
  }
  const PixelRect r = ClientRect(spec, dpi_);
  HWND c = controls_[i] = ::CreateWindowExA(
      exStyle, cls, spec.caption, style, r.left, r.top, r.width, WindowHeight(spec, r), hwnd_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance, nullptr);
  ::SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(spec)), FALSE);
  if (spec.id == kCmdId) cmd_ = c;
  if (spec.id == kListId) list1_ = c;
  if (spec.kind == ControlKind::TextBox)
    ::SendMessageA(c, EM_SETLIMITTEXT, 0, 0);  // no limit of its own
  if (spec.kind == ControlKind::CheckBox)
    ::SendMessageA(c, BM_SETCHECK, static_cast<WPARAM>(spec.initialCheck), 0);
  if (spec.kind == ControlKind::ComboBox) {
    const settings::FieldInfo& info = settings::Info(i);
    for (int k = 0; k < info.choiceCount; ++k)
      ::SendMessageA(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(info.choices[k]));
    ::SetWindowTextA(c, spec.caption);  // edit field text, nothing selected
    FitCombo(c, r.height);
  }
}

Form1::Fonts Form1::MakeFonts(int dpi) {
  Fonts fonts;
  fonts.normal = MakeFont(kDefaultFontFace, kDefaultFontPoints * 100, FW_NORMAL, dpi);
  fonts.caption = MakeFont(kCaptionFontFace, kCaptionFontCentipoints, FW_NORMAL, dpi);
  fonts.log = MakeFont(kCaptionFontFace, kCaptionFontCentipoints, FW_BOLD, dpi);
  return fonts;
}

HFONT Form1::FontFor(const ControlSpec& spec) const {
  return spec.font == FontKind::Caption   ? fonts_.caption.get()
         : spec.font == FontKind::LogBold ? fonts_.log.get()
                                          : fonts_.normal.get();
}

int Form1::WindowHeight(const ControlSpec& spec, const PixelRect& r) {
  // A combo's window height includes the dropped list.
  return spec.kind == ControlKind::ComboBox ? r.height * (1 + kComboDropRows) : r.height;
}

void Form1::FitCombo(HWND combo, int height) {
  // The closed box keeps the table's height. The font mostly gives it that
  // already (always at 96 DPI), and each resize of a combo costs a few
  // milliseconds at start-up. Otherwise the field is sized for the border
  // around it scaled from 96 DPI, as on Windows, then corrected by what the
  // box really came to: Wine's border does not grow with the DPI.
  const auto off = [combo, height] {
    RECT closed;
    ::GetWindowRect(combo, &closed);
    return height - static_cast<int>(closed.bottom - closed.top);
  };
  if (off() == 0) return;
  const WPARAM selection = static_cast<WPARAM>(-1);
  const int field = height - MulDiv(kComboBorder, dpi_, 96);
  ::SendMessageA(combo, CB_SETITEMHEIGHT, selection, field);
  if (const int more = off()) ::SendMessageA(combo, CB_SETITEMHEIGHT, selection, field + more);
}

void Form1::LayOut() {
  // The controls let go of the old fonts before these are deleted, when
  // old goes out of scope.
  const Fonts old = std::move(fonts_);
  fonts_ = MakeFonts(dpi_);
  for (int i = 0; i < kControlCount; ++i) {
    const ControlSpec& spec = kControls[i];
    ::SendMessageA(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(spec)), FALSE);
    const PixelRect r = ClientRect(spec, dpi_);
    ::MoveWindow(controls_[i], r.left, r.top, r.width, WindowHeight(spec, r), FALSE);
    if (spec.kind == ControlKind::ComboBox) FitCombo(controls_[i], r.height);
  }
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

SIZE Form1::FrameSize(int dpi) {
  const platform::FrameSize frame =
      platform::FrameForClient(TwipsToPixels(kClientWidthTwips, dpi),
                               TwipsToPixels(kClientHeightTwips, dpi), kFormStyle, dpi);
  SIZE size = {frame.width, frame.height};
  return size;
}

void Form1::OnDpiChanged(int dpi, const RECT* suggested) {
  dpi_ = dpi;
  // The size is the window's own at that DPI, not the suggested one (which
  // WM_GETDPISCALEDSIZE has told Windows); the place is Windows' choice.
  SIZE size = FrameSize(dpi_);
  RECT now;
  ::GetWindowRect(hwnd_, &now);
  int x = suggested ? suggested->left : now.left, y = suggested ? suggested->top : now.top;
  ::SetWindowPos(hwnd_, nullptr, x, y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  if (built_) LayOut();
}

bool Form1::Form_Load() {
  if (!platform::PlainFileInCurrentDirectory(server::kExecutableName)) {
    platform::ShowMessage(kMissingServerMessage, kAppTitle);
    return false;
  }
  LoadSettings();
  return true;
}

void Form1::Show(int showCommand) {
  ::ShowWindow(hwnd_, showCommand);
  ::UpdateWindow(hwnd_);
  ::SetFocus(FieldControl(settings::SName));
}

int32_t Form1::KillProcess(int32_t hProcessID, int32_t ExitCode) {
  return supervisor_->KillProcess(hProcessID, ExitCode);
}

void Form1::BuildCommandLine() {
  if (!built_ || loading_) return;
  ::SetWindowTextA(cmd_, server::BuildCommandLine(*this).c_str());
}

void Form1::LoadSettings() {
  // One rebuild once every field is in, not one per field.
  loading_ = true;
  settings::LoadSettings(*store_, appName_, *this,
                         [this](const std::string& line) { LogEvent(line); });
  loading_ = false;
  BuildCommandLine();
}

void Form1::SaveSettings() {
  settings::SaveSettings(*store_, appName_, *this,
                         [this](const std::string& line) { LogEvent(line); });
}

void Form1::LogEvent(const std::string& text) { window::LogEvent(*this, text); }

void Form1::RaiseSettingHandler(int field) {
  using Handler = void (Form1::*)();
  static const Handler kHandlers[] = {
      &Form1::SName_Change,  &Form1::MName_Change,    &Form1::Port_Change,    &Form1::PVP_Click,
      &Form1::GType_Click,   &Form1::Diff_Click,      &Form1::Players_Change, &Form1::MinLvl_Change,
      &Form1::MaxLvl_Change, &Form1::AutoSave_Change, &Form1::PPass_Change,   &Form1::DPass_Change,
      &Form1::APass_Change,  &Form1::Pub_Click,       &Form1::ELC_Click,      &Form1::ILR_Click,
      &Form1::Party_Click,   &Form1::Reload_Click,    &Form1::SVault_Click};
  static_assert(std::size(kHandlers) == settings::kFieldCount, "one handler for each field");
  (this->*kHandlers[field])();
}

void Form1::OnCommand(int id, int code) {
  int field = id - kFirstFieldId;
  if (field >= 0 && field < settings::kFieldCount) {
    switch (settings::Info(field).kind) {
      case settings::Kind::Text:
        if (code == EN_CHANGE) RaiseSettingHandler(field);
        break;
      case settings::Kind::ListIndex:
        if (code == CBN_SELCHANGE) RaiseSettingHandler(field);
        break;
      case settings::Kind::Check:
        if (code == BN_CLICKED) {
          // An operator's click toggles between unchecked and checked only.
          WPARAM next = Number(field) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
          ::SendMessageA(FieldControl(field), BM_SETCHECK, next, 0);
          RaiseSettingHandler(field);
        }
        break;
    }
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case kSaveId:
      Save_Click();
      break;
    case kStartId:
      Start_Click();
      break;
    case kKillId:
      Kill_Click();
      break;
    default:
      break;
  }
}

LRESULT CALLBACK Form1::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lp);
    auto* self = static_cast<Form1*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Form1*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  return self ? self->HandleMessage(msg, wp, lp) : ::DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT Form1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (lp != 0) OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_TIMER:
      if (wp == kTimer1Id) Timer1_Timer();
      return 0;
    case WM_ACTIVATE:
      // As a dialog does: remember the focused control when another window
      // takes the activation (a relaunched server does), to give it back.
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(hwnd_, focus)) lastFocus_ = focus;
      } else if (supervisor_) {
        supervisor_->RetryTimer();
      }
      return ::DefWindowProcA(hwnd_, msg, wp, lp);
    case WM_SETFOCUS:
      // Without this the focus stays on the form itself: typing goes nowhere.
      ::SetFocus(lastFocus_ && ::IsChild(hwnd_, lastFocus_) ? lastFocus_
                                                            : FieldControl(settings::SName));
      return 0;
    case kDpiChanged:
      OnDpiChanged(HIWORD(wp), reinterpret_cast<const RECT*>(lp));
      return 0;
    case kGetDpiScaledSize:
      // Our own size at the new DPI, so that the window dragged across a
      // monitor edge does not flip between the two.
      *reinterpret_cast<SIZE*>(lp) = FrameSize(static_cast<int>(wp));
      return TRUE;
    case WM_POWERBROADCAST:
      if (supervisor_ && (wp == PBT_APMRESUMEAUTOMATIC || wp == PBT_APMRESUMESUSPEND ||
                          wp == PBT_APMRESUMECRITICAL)) {
        supervisor_->Resumed();
        supervisor_->RetryTimer();
      }
      return TRUE;
    case WM_QUERYENDSESSION:
      // Let the session end; a look from now on would relaunch the server into it.
      if (supervisor_) supervisor_->SessionEnding();
      return TRUE;
    case WM_ENDSESSION:
      // Cancelled, or Restart Manager's request to close, which Vigilo
      // declines by staying: either way the session goes on.
      if (supervisor_ && (!wp || (lp & ENDSESSION_CLOSEAPP))) supervisor_->SessionGoesOn();
      return 0;
    case WM_DESTROY:
      ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcA(hwnd_, msg, wp, lp);
  }
}

// settings::SettingsView: the controls are the one home of the values.

std::string Form1::Text(int field) const { return WindowText(FieldControl(field)); }

void Form1::SetText(int field, const std::string& text) {
  ::SetWindowTextA(FieldControl(field), text.c_str());  // the edit raises EN_CHANGE
}

int16_t Form1::Number(int field) const {
  UINT msg = settings::Info(field).kind == settings::Kind::ListIndex ? CB_GETCURSEL : BM_GETCHECK;
  return static_cast<int16_t>(::SendMessageA(FieldControl(field), msg, 0, 0));
}

void Form1::SetNumber(int field, int16_t value) {
  UINT msg = settings::Info(field).kind == settings::Kind::ListIndex ? CB_SETCURSEL : BM_SETCHECK;
  ::SendMessageA(FieldControl(field), msg, static_cast<WPARAM>(value), 0);
  // Neither message notifies the parent, so raise the handler as a click would.
  RaiseSettingHandler(field);
}

// supervision::Host

std::string Form1::CommandLine() const { return WindowText(cmd_); }

std::string Form1::ServerName() const { return Text(settings::SName); }

// window::LogList

int Form1::Count() const { return static_cast<int>(::SendMessageA(list1_, LB_GETCOUNT, 0, 0)); }

void Form1::RemoveFirst() { ::SendMessageA(list1_, LB_DELETESTRING, 0, 0); }

void Form1::Append(const std::string& line) {
  ::SendMessageA(list1_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

void Form1::Select(int index) {
  ::SendMessageA(list1_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

}  // namespace window
