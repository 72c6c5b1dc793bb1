// The floor that Vigilo's start-up is measured against: a bare window with
// the same 38 controls at the same places, the same three fonts, the same
// list entries and the product's own manifest, and no logic at all.
#include <windows.h>

#include <commctrl.h>

#include "settings/settings.h"
#include "window/layout.h"

namespace {

LRESULT CALLBACK FloorProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) ::PostQuitMessage(0);
  return ::DefWindowProcA(window, msg, wp, lp);
}

HFONT Font(const char* face, int centipoints, int weight) {
  return ::CreateFontA(-MulDiv(centipoints, 96, 7200), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  ::InitCommonControls();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = FloorProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "VigiloFloor";
  ::RegisterClassA(&wc);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame = {0, 0, window::TwipsToPixels(window::kClientWidthTwips, 96),
                window::TwipsToPixels(window::kClientHeightTwips, 96)};
  ::AdjustWindowRectEx(&frame, style, FALSE, 0);
  HWND main = ::CreateWindowExA(WS_EX_CONTROLPARENT, "VigiloFloor", "Vigilo v1.0 by Valmo", style,
                                CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  HFONT normal = Font("MS Shell Dlg", 800, FW_NORMAL);
  HFONT caption = Font(window::kCaptionFontFace, window::kCaptionFontCentipoints, FW_NORMAL);
  HFONT bold = Font(window::kCaptionFontFace, window::kCaptionFontCentipoints, FW_BOLD);
  for (const window::ControlSpec& spec : window::kControls) {
    const char* cls = "STATIC";
    DWORD controlStyle = WS_CHILD | WS_VISIBLE, exStyle = 0;
    switch (spec.kind) {
      case window::ControlKind::TextBox:
        cls = "EDIT";
        controlStyle |= WS_TABSTOP | ES_AUTOHSCROLL;
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case window::ControlKind::ComboBox:
        cls = "COMBOBOX";
        controlStyle |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN;
        break;
      case window::ControlKind::CheckBox:
        cls = "BUTTON";
        controlStyle |= WS_TABSTOP | BS_3STATE | BS_MULTILINE;
        break;
      case window::ControlKind::Button:
        cls = "BUTTON";
        controlStyle |= WS_TABSTOP | BS_PUSHBUTTON;
        break;
      case window::ControlKind::Label:
        controlStyle |= SS_LEFT | SS_NOPREFIX;
        break;
      case window::ControlKind::Frame:
        cls = "BUTTON";
        controlStyle |= BS_GROUPBOX;
        break;
      case window::ControlKind::ListBox:
        cls = "LISTBOX";
        controlStyle |= WS_VSCROLL | LBS_NOINTEGRALHEIGHT;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    }
    window::PixelRect r = window::ClientRect(spec, 96);
    const bool combo = spec.kind == window::ControlKind::ComboBox;
    HWND c = ::CreateWindowExA(exStyle, cls, spec.caption, controlStyle, r.left, r.top, r.width,
                               combo ? r.height * 15 : r.height, main, nullptr, instance, nullptr);
    HFONT font = spec.font == window::FontKind::Caption   ? caption
                 : spec.font == window::FontKind::LogBold ? bold
                                                          : normal;
    ::SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (combo) {
      const settings::FieldInfo& info = settings::Info(spec.id - window::kFirstFieldId);
      for (int k = 0; k < info.choiceCount; ++k)
        ::SendMessageA(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(info.choices[k]));
    }
  }
  ::ShowWindow(main, show);
  ::UpdateWindow(main);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (!::IsDialogMessageA(main, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
  return 0;
}
