// A hook DLL that the window tests load into Vigilo's process: font handles
// cannot be read from another process, so this reads them where they live.
// On the registered message "VigiloFontProbe" it writes one line per control
// of the window to fontprobe.txt in the current directory:
// id face height weight charset italic underline strikeout
#include <windows.h>

#include <cstdio>
#include <cstring>

extern "C" __declspec(dllexport) LRESULT CALLBACK FontProbeHook(int code, WPARAM wp, LPARAM lp) {
  static const UINT probe = ::RegisterWindowMessageA("VigiloFontProbe");
  const MSG* msg = reinterpret_cast<const MSG*>(lp);
  if (code == HC_ACTION && wp == PM_REMOVE && msg->message == probe) {
    if (FILE* out = std::fopen("fontprobe.txt.tmp", "w")) {
      for (HWND c = ::GetWindow(msg->hwnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        HFONT font = reinterpret_cast<HFONT>(::SendMessageA(c, WM_GETFONT, 0, 0));
        LOGFONTA lf = {};
        if (!font || !::GetObjectA(font, sizeof lf, &lf)) std::strcpy(lf.lfFaceName, "?");
        std::fprintf(out, "%d|%s|%ld|%ld|%d|%d|%d|%d\n", ::GetDlgCtrlID(c), lf.lfFaceName,
                     lf.lfHeight, lf.lfWeight, lf.lfCharSet, lf.lfItalic, lf.lfUnderline,
                     lf.lfStrikeOut);
      }
      std::fclose(out);
      ::MoveFileA("fontprobe.txt.tmp", "fontprobe.txt");
    }
  }
  return ::CallNextHookEx(nullptr, code, wp, lp);
}
