// The window as the operator sees it: every control of the table in its place
// with its class, caption and font; the tab order by real keystrokes; and
// clicks on what is not wired changing nothing.
#include <oleacc.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "driver.h"
#include "platform/handles_win.h"
#include "window/layout.h"

namespace {

using blackbox::Server;
using window::ControlKind;

// A top-level window of the test's own, to take the activation from Vigilo;
// well away from Vigilo's window and the captures.
HWND Elsewhere() {
  return ::CreateWindowExA(0, "STATIC", "elsewhere", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 1000, 800,
                           200, 100, nullptr, nullptr, nullptr, nullptr);
}

const char* ExpectedClass(ControlKind kind) {
  switch (kind) {
    case ControlKind::TextBox:
      return "Edit";
    case ControlKind::ComboBox:
      return "ComboBox";
    case ControlKind::ListBox:
      return "ListBox";
    case ControlKind::Label:
      return "Static";
    default:
      return "Button";
  }
}

RECT ClientRectOf(HWND control, HWND main) {
  RECT r;
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Wine draws a window's frame at the system's DPI: where the window's own
// DPI differs (moved), only Windows gives the client area the table's size.
void ExpectLayout(const blackbox::Vigilo& v, int dpi, bool frameAtDpi = true) {
  RECT client;
  ::GetClientRect(v.main(), &client);
  if (frameAtDpi) {
    EXPECT_EQ(client.right, window::TwipsToPixels(window::kClientWidthTwips, dpi)) << dpi;
    EXPECT_EQ(client.bottom, window::TwipsToPixels(window::kClientHeightTwips, dpi)) << dpi;
  }
  int shown = 0;
  for (HWND c : blackbox::Children(v.main())) shown += ::IsWindowVisible(c) ? 1 : 0;
  EXPECT_EQ(shown, window::kControlCount);
  for (const window::ControlSpec& spec : window::kControls) {
    SCOPED_TRACE(std::string(spec.name) + " at " + std::to_string(dpi) + " DPI");
    HWND c = v.Control(spec.id);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(blackbox::ClassOf(c), ExpectedClass(spec.kind));
    window::PixelRect want = window::ClientRect(spec, dpi);
    RECT got = ClientRectOf(c, v.main());
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right - got.left, want.width);
    EXPECT_EQ(got.bottom - got.top, want.height);
  }
  if (dpi != 144) return;
  // A few places at 144 DPI worked out by hand from the twips, so that a
  // fault in the scaling shared by the window and the table shows here.
  if (frameAtDpi) {
    EXPECT_EQ(client.right, 873);
    EXPECT_EQ(client.bottom, 584);
  }
  const struct {
    const char* name;
    LONG left, top, width, height;
  } places[] = {{"SName", 84, 12, 170, 29},   {"PVP", 72, 60, 86, 32},
                {"ILR", 732, 108, 122, 38},   {"Frame1", 12, 156, 686, 62},
                {"List1", 12, 240, 686, 222}, {"cmd", 12, 480, 854, 98}};
  for (const auto& p : places) {
    RECT got = ClientRectOf(v.Control(p.name), v.main());
    EXPECT_EQ((std::vector<LONG>{got.left, got.top, got.right - got.left, got.bottom - got.top}),
              (std::vector<LONG>{p.left, p.top, p.width, p.height}))
        << p.name << " at 144 DPI";
  }
}

TEST(Window, EveryControlOfTheTableAt96Dpi) {
  blackbox::Vigilo v({"window-table", "vigilo_window.exe", Server::StandIn, {}});
  ASSERT_NE(v.WaitForMainWindow(), nullptr);
  EXPECT_EQ(blackbox::TextOf(v.main()), "Vigilo v1.0 by Valmo");
  ExpectLayout(v, 96);

  for (const window::ControlSpec& spec : window::kControls) {
    SCOPED_TRACE(spec.name);
    HWND c = v.Control(spec.id);
    LONG style = ::GetWindowLongA(c, GWL_STYLE);
    switch (spec.kind) {
      case ControlKind::Label:
        if (std::string(spec.name) != "cmd") {
          EXPECT_EQ(blackbox::TextOf(c), spec.caption);
        }
        EXPECT_TRUE(style & SS_NOPREFIX);
        break;
      case ControlKind::Button:
        EXPECT_EQ(blackbox::TextOf(c), spec.caption);
        EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON) << "no default button";
        break;
      case ControlKind::CheckBox:
        EXPECT_EQ(blackbox::TextOf(c), spec.caption);
        EXPECT_EQ(style & BS_TYPEMASK, BS_3STATE);
        break;
      case ControlKind::Frame:
        EXPECT_EQ(blackbox::TextOf(c), spec.caption);
        EXPECT_EQ(style & BS_TYPEMASK, BS_GROUPBOX);
        break;
      case ControlKind::ComboBox:
        EXPECT_EQ(style & 3, CBS_DROPDOWN);
        EXPECT_EQ(style & CBS_SORT, 0);
        break;
      case ControlKind::ListBox:
        EXPECT_EQ(style & LBS_SORT, 0);
        break;
      case ControlKind::TextBox:
        EXPECT_EQ(style & (ES_PASSWORD | ES_MULTILINE), 0);
        break;
    }
  }

  // The choice lists, in their fixed order.
  const struct {
    const char* combo;
    std::vector<std::string> items;
  } lists[] = {{"PVP", {"None", "Party", "Full"}},
               {"GType",
                {"Action", "Story", "Story Lite", "Role Play", "Team", "Melee", "Arena", "Social",
                 "Alternative", "PW Action", "PW Story", "Solo", "Tech Support"}},
               {"Diff", {"Easy", "Normal", "Hardcore", "Difficult"}}};
  for (const auto& l : lists) {
    HWND combo = v.Control(l.combo);
    std::vector<std::string> items;
    LRESULT n = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
      wchar_t buffer[64] = {};
      ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer));
      items.push_back(blackbox::ToAnsi(buffer));
    }
    EXPECT_EQ(items, l.items) << l.combo;
  }
}

struct FontSeen {
  std::string face, found;  // asked for; given by the font mapper
  long height = 0, weight = 0;
  int charset = 0, italic = 0, underline = 0, strikeout = 0, foundCharset = 0;
};

// Fonts as Vigilo's own process sees them, through the probe hook.
std::map<int, FontSeen> ProbeFonts(const blackbox::Vigilo& v) {
  std::map<int, FontSeen> fonts;
  for (const std::string& line : blackbox::Probe(v).Ask("VigiloFontProbe", "fontprobe.txt")) {
    int id = 0;
    FontSeen f;
    char face[64] = {}, found[64] = {};
    if (std::sscanf(line.c_str(), "%d|%63[^|]|%ld|%ld|%d|%d|%d|%d|%63[^|]|%d", &id, face, &f.height,
                    &f.weight, &f.charset, &f.italic, &f.underline, &f.strikeout, found,
                    &f.foundCharset) == 10) {
      f.face = face;
      f.found = found;
      fonts[id] = f;
    }
  }
  return fonts;
}

// Also run where the code page is Cyrillic: every font must be given in the
// system's character set, or national letters show as Western ones.
TEST(Window, CaptionLabelsAndTheLogUseTheirFonts) {
  blackbox::Vigilo v({"window-fonts", "vigilo_fonts.exe", Server::StandIn, {}});
  ASSERT_NE(v.WaitForMainWindow(), nullptr);
  std::map<int, FontSeen> fonts = ProbeFonts(v);
  ASSERT_EQ(fonts.size(), static_cast<size_t>(window::kControlCount));
  CHARSETINFO system = {};
  ASSERT_TRUE(::TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(::GetACP())),
                                     &system, TCI_SRCCODEPAGE));
  for (const window::ControlSpec& spec : window::kControls) {
    SCOPED_TRACE(spec.name);
    const FontSeen& f = fonts[spec.id];
    EXPECT_EQ(f.foundCharset, static_cast<int>(system.ciCharset)) << "code page " << ::GetACP();
    if (spec.font == window::FontKind::Default) {
      // The dialog font, which Wine's own fonts give as Tahoma.
      EXPECT_EQ(f.face, "MS Shell Dlg");
      EXPECT_EQ(f.found, "Tahoma");
      continue;
    }
    EXPECT_EQ(f.face, "MS Sans Serif");
    EXPECT_EQ(f.found, "MS Sans Serif") << "Wine's own fonts missing from the prefix?";
    EXPECT_EQ(f.height, -13);  // 9.75 pt at 96 DPI
    EXPECT_EQ(f.weight, spec.font == window::FontKind::LogBold ? FW_BOLD : FW_NORMAL);
    EXPECT_EQ(f.italic + f.underline + f.strikeout, 0);
  }
}

}  // namespace

namespace {

// Real input, through the system's input queue: these tests run alone, since
// another program's window coming up would take the keyboard.
void Keys(std::initializer_list<std::pair<WORD, bool>> strokes) {
  std::vector<INPUT> inputs;
  for (const auto& s : strokes) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = s.first;
    in.ki.dwFlags = s.second ? 0 : KEYEVENTF_KEYUP;
    inputs.push_back(in);
  }
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

HWND Focused(HWND main) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  ::GetGUIThreadInfo(::GetWindowThreadProcessId(main, nullptr), &info);
  return info.hwndFocus;
}

// The control of the table that holds the focus (a combo box's edit field
// counts as the combo box).
std::string FocusedName(const blackbox::Vigilo& v) {
  HWND focus = Focused(v.main());
  if (focus && ::GetParent(focus) != v.main()) focus = ::GetParent(focus);
  for (const window::ControlSpec& spec : window::kControls)
    if (v.Control(spec.id) == focus) return spec.name;
  return "?";
}

bool Foreground(HWND window) {
  ::SetForegroundWindow(window);
  return blackbox::WaitFor([&] { return ::GetForegroundWindow() == window; }, 3000);
}

// Each event carries its place: input is handled after SendInput returns,
// and a click sent with the cursor's place lands where the next one moved it.
void ClickAt(HWND main, int x, int y) {
  POINT p = {x, y};
  ::ClientToScreen(main, &p);
  const LONG w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
  INPUT in[2] = {};
  for (INPUT& i : in) {
    i.type = INPUT_MOUSE;
    i.mi.dx = (p.x * 65536 + w - 1) / w;  // normalised, rounded up to land on the pixel
    i.mi.dy = (p.y * 65536 + h - 1) / h;
  }
  in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
  ::SendInput(2, in, sizeof(INPUT));
}

TEST(Input, TabOrderAndTheFocusKeptWhileAnotherWindowIsActive) {
  blackbox::Vigilo v({"input-tab", "vigilo_tab.exe", Server::StandIn, {}});
  ASSERT_NE(v.WaitForMainWindow(), nullptr);
  Foreground(v.main());
  const std::vector<std::string> order = {
      "SName",  "MName",    "Port",   "PVP",   "GType", "Diff", "Players", "MinLvl",
      "MaxLvl", "AutoSave", "PPass",  "DPass", "APass", "Pub",  "ELC",     "ILR",
      "Party",  "Reload",   "SVault", "Start", "Kill",  "Save", "SName"};
  ASSERT_EQ(FocusedName(v), "SName");
  std::vector<std::string> visited = {FocusedName(v)};
  for (size_t i = 1; i < order.size(); ++i) {
    Keys({{VK_TAB, true}, {VK_TAB, false}});
    blackbox::WaitFor([&] { return FocusedName(v) != visited.back(); }, 2000, 20);
    visited.push_back(FocusedName(v));
  }
  EXPECT_EQ(visited, order);

  std::vector<std::string> back = {FocusedName(v)};
  for (size_t i = 1; i < order.size(); ++i) {
    Keys({{VK_SHIFT, true}, {VK_TAB, true}, {VK_TAB, false}, {VK_SHIFT, false}});
    blackbox::WaitFor([&] { return FocusedName(v) != back.back(); }, 2000, 20);
    back.push_back(FocusedName(v));
  }
  EXPECT_EQ(back, std::vector<std::string>(order.rbegin(), order.rend()));

  // Enter and Escape are no buttons' keys: nothing happens, the window stays
  // (the tabs after them show that they have been handled).
  const std::string cmd = v.Cmd();
  Keys({{VK_RETURN, true}, {VK_RETURN, false}, {VK_ESCAPE, true}, {VK_ESCAPE, false}});
  Keys({{VK_TAB, true}, {VK_TAB, false}, {VK_TAB, true}, {VK_TAB, false}});
  ASSERT_TRUE(blackbox::WaitFor([&] { return FocusedName(v) == "Port"; }, 2000, 20));
  EXPECT_FALSE(v.Exited(0));
  EXPECT_TRUE(v.Log().empty());
  EXPECT_EQ(v.Cmd(), cmd);

  // Another window taking the activation (as every relaunched server does)
  // must not leave the keyboard nowhere once the operator comes back.
  HWND other = Elsewhere();
  EXPECT_TRUE(Foreground(other));
  Foreground(v.main());
  ::DestroyWindow(other);
  Keys({{'7', true}, {'7', false}});
  ASSERT_TRUE(blackbox::WaitFor([&] { return v.Cmd() != cmd; }, 3000))
      << "the keystroke went nowhere; focus on " << FocusedName(v);
  const std::string port = blackbox::TextOf(v.Control("Port"));
  EXPECT_NE(port.find('7'), std::string::npos);
  EXPECT_NE(v.Cmd().find("-port " + port + " "), std::string::npos) << v.Cmd();
}

TEST(Input, ClickingLabelsTheFrameOrALogLineChangesNothing) {
  const std::string app = "vigilo_clicks";
  blackbox::DeleteStored(app);
  blackbox::Vigilo v({"input-clicks", app + ".exe", Server::StandIn, {}});
  ASSERT_NE(v.WaitForMainWindow(), nullptr);
  Foreground(v.main());
  v.Click("Kill");  // one log line to click on

  // The clicks land: the same kind of click on a check box is an edit.
  window::PixelRect ilr = window::ClientRect(*window::FindControl("ILR"), 96);
  const std::string before = v.Cmd();
  ClickAt(v.main(), ilr.left + 6, ilr.top + ilr.height / 2);
  ASSERT_TRUE(blackbox::WaitFor([&] { return v.Cmd() != before; }, 3000));
  const std::string toggled = v.Cmd();
  ClickAt(v.main(), ilr.left + 6, ilr.top + ilr.height / 2);
  ASSERT_TRUE(blackbox::WaitFor([&] { return v.Cmd() == before; }, 3000));

  const std::string cmd = v.Cmd();
  const std::vector<std::string> log = v.Log();

  std::vector<const char*> targets = {"Label",   "Label2",  "Label3",  "Label4", "Label5",
                                      "Label6",  "Label7",  "Label8",  "Label9", "Label10",
                                      "Label11", "Label12", "Label13", "cmd"};
  for (const char* name : targets) {
    window::PixelRect r = window::ClientRect(*window::FindControl(name), 96);
    ClickAt(v.main(), r.left + 3, r.top + r.height / 2);
  }
  window::PixelRect frame = window::ClientRect(*window::FindControl("Frame1"), 96);
  ClickAt(v.main(), frame.left + frame.width - 6, frame.top + frame.height - 4);
  window::PixelRect list = window::ClientRect(*window::FindControl("List1"), 96);
  ClickAt(v.main(), list.left + 20, list.top + 8);
  // One more click on the check box: once it shows, every click before it
  // has been handled, and none of them changed the line.
  ClickAt(v.main(), ilr.left + 6, ilr.top + ilr.height / 2);
  EXPECT_TRUE(blackbox::WaitFor([&] { return v.Cmd() != cmd; }, 3000));
  EXPECT_EQ(v.Cmd(), toggled);
  EXPECT_EQ(v.Log(), log);
  std::wstring stored;
  EXPECT_FALSE(blackbox::ReadStored(app, "SName", &stored)) << "nothing stored";
}

}  // namespace

namespace {

void ExpectFontsAt144(const blackbox::Vigilo& v) {
  std::map<int, FontSeen> fonts = ProbeFonts(v);
  EXPECT_EQ(fonts[window::FindControl("Label")->id].height, -20);  // 9.75 pt at 144 DPI
  EXPECT_EQ(fonts[window::FindControl("List1")->id].height, -20);
  for (const auto& f : fonts) EXPECT_NE(f.second.face, "?") << "control " << f.first;
}

// Moved at 96 to a monitor of 144, as Windows tells a window: the size it
// wants asked first, then the change itself.
TEST(Dpi, LayoutAndFontsScaleWhenMovedTo144) {
  blackbox::Vigilo v({"dpi-moved", "vigilo_dpi.exe", Server::StandIn, {}});
  ASSERT_NE(v.WaitForMainWindow(), nullptr);
  ExpectLayout(v, 96);
  std::vector<std::string> answer = blackbox::Probe(v).Ask("VigiloDpiProbe", "dpiprobe.txt");
  RECT frame;
  ::GetWindowRect(v.main(), &frame);
  ASSERT_EQ(answer.size(), 2u);
  EXPECT_EQ(answer[0], "1|" + std::to_string(frame.right - frame.left) + "|" +
                           std::to_string(frame.bottom - frame.top))
      << "the scaled size answered is the size taken";
  EXPECT_EQ(answer[1], "0") << "fonts of 96 DPI left undeleted";
  EXPECT_EQ(frame.left, 50);
  EXPECT_EQ(frame.top, 60);
  ExpectLayout(v, 144, false);
  ExpectFontsAt144(v);
}

// Started on a display of 144 DPI: run alone in a prefix set so before its
// Wine server started (with-wine.sh --dpi, the blackbox_DpiStart test).
TEST(DpiStart, LayoutAndFontsAt144) {
  DWORD dpi = 0, size = sizeof dpi;
  HKEY key;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_READ, &key) == 0) {
    ::RegQueryValueExA(key, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&dpi), &size);
    ::RegCloseKey(key);
  }
  ASSERT_EQ(dpi, 144u) << "run in a prefix set to 144 DPI";
  // Read as a DPI-aware program: one that is not gets the places of another
  // program's windows scaled to 96 DPI (Windows 8.1 on, Wine 10).
  using SetAwareFn = BOOL(WINAPI*)();
  const auto setAware =
      platform::Proc<SetAwareFn>(::GetModuleHandleA("user32.dll"), "SetProcessDPIAware");
  ASSERT_TRUE(setAware && setAware());
  blackbox::Vigilo v({"dpi-144", "vigilo_dpi.exe", Server::StandIn, {}});
  ASSERT_NE(v.WaitForMainWindow(), nullptr);
  ExpectLayout(v, 144);
  ExpectFontsAt144(v);
}

}  // namespace

namespace {

// Spelled out: in a 64-bit static link MinGW's oleacc import library gives an
// import thunk for IID_IAccessible, not the interface id.
const IID kIidAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// What a screen reader announces for a control: its MSAA name.
std::string AccessibleName(HWND control) {
  IAccessible* object = nullptr;
  if (FAILED(::AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                          reinterpret_cast<void**>(&object))))
    return "<no object>";
  VARIANT self;
  ::VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  std::string text = "<no name>";
  if (object->get_accName(self, &name) == S_OK && name) text = blackbox::ToAnsi(name);
  ::SysFreeString(name);
  object->Release();
  return text;
}

// The client area as the screen shows it now.
std::vector<DWORD> Grab(HWND main) {
  RECT client;
  ::GetClientRect(main, &client);
  POINT origin = {0, 0};
  ::ClientToScreen(main, &origin);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = client.right;
  info.bmiHeader.biHeight = -client.bottom;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ was = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, client.right, client.bottom, screen, origin.x, origin.y, SRCCOPY);
  const DWORD* pixels = static_cast<const DWORD*>(bits);
  std::vector<DWORD> capture(pixels, pixels + client.right * client.bottom);
  ::SelectObject(memory, was);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return capture;
}

// Handles what is sent to this thread's windows: the window that takes the
// activation is ours, and Vigilo's thread waits on it while it changes hands.
void Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
}

// The window on top at a fixed place and inactive, so that no caret blinks in
// it; taken once two grabs in a row agree, so that painting has settled.
std::vector<DWORD> CaptureClient(const blackbox::Vigilo& v, HWND elsewhere) {
  // The cursor to the screen's far corner: a box under it is drawn hot, and
  // an earlier test's last click may have left it where this window comes.
  INPUT away = {};
  away.type = INPUT_MOUSE;
  away.mi.dx = away.mi.dy = 65535;
  away.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &away, sizeof away);
  ::SetWindowPos(v.main(), HWND_TOPMOST, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  const DWORD thread = ::GetWindowThreadProcessId(v.main(), nullptr);
  EXPECT_TRUE(blackbox::WaitFor(
      [&] {
        ::SetForegroundWindow(elsewhere);
        Pump();
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        return ::GetGUIThreadInfo(thread, &info) && !info.hwndCaret;
      },
      5000))
      << "the caret stays";
  // Painted now, by its own thread, before this one goes on.
  ::RedrawWindow(v.main(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // Settled: two grabs a step apart agree (back to back, even unpainted ones
  // would), each once Vigilo's thread has answered, its painting on screen.
  std::vector<DWORD> last, now;
  EXPECT_TRUE(blackbox::WaitFor(
      [&] {
        Pump();
        DWORD_PTR answer = 0;
        ::SendMessageTimeoutA(v.main(), WM_NULL, 0, 0, SMTO_NORMAL, 2000, &answer);
        last.swap(now);
        now = Grab(v.main());
        return now == last;
      },
      10000, 300))
      << "the window keeps changing";
  ::SetWindowPos(v.main(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return now;
}

// Each box has its caption (the log its name) as a STATIC right above it,
// which screen readers take as its name, and the window looks exactly as the
// exe built before (REFERENCE_EXE) drew it, in this very prefix.
TEST(Names, EveryBoxIsNamedByItsCaptionAndTheWindowLooksAsBefore) {
  ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
  blackbox::Vigilo v({"names", "vigilo_names.exe", Server::StandIn, {}});
  ASSERT_NE(v.WaitForMainWindow(), nullptr);
  int named = 0;
  for (const window::ControlSpec& spec : window::kControls) {
    const char* name = window::AccessibleName(spec);
    if (!name) continue;
    ++named;
    SCOPED_TRACE(spec.name);
    HWND above = ::GetWindow(v.Control(spec.id), GW_HWNDPREV);
    EXPECT_EQ(blackbox::ClassOf(above), "Static");
    EXPECT_EQ(blackbox::TextOf(above), name);
    // Wine's proxy names edits only; Windows' names the combo and list boxes too.
    if (spec.kind == ControlKind::TextBox) {
      EXPECT_EQ(AccessibleName(v.Control(spec.id)), name);
    }
  }
  EXPECT_EQ(named, 14);  // the 13 boxes and the log

  HWND elsewhere = Elsewhere();
  const std::vector<DWORD> now = CaptureClient(v, elsewhere);
  blackbox::Vigilo before({"names-before", "vigilo_names.exe", Server::StandIn, {}, REFERENCE_EXE});
  ASSERT_NE(before.WaitForMainWindow(), nullptr);
  const std::vector<DWORD> then = CaptureClient(before, elsewhere);
  ::DestroyWindow(elsewhere);
  ASSERT_EQ(now.size(), then.size());
  size_t differ = 0, first = 0, last = 0;
  for (size_t i = 0; i < now.size(); ++i) {
    if (now[i] == then[i]) continue;
    if (differ++ == 0) first = i;
    last = i;
  }
  const size_t width = static_cast<size_t>(window::TwipsToPixels(window::kClientWidthTwips, 96));
  EXPECT_EQ(differ, 0u) << "of " << now.size() << " pixels, from " << first % width << ","
                        << first / width << " to " << last % width << "," << last / width;
  ::CoUninitialize();
}

}  // namespace
