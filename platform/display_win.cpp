#include <windows.h>

#include "platform/display.h"
#include "platform/handles_win.h"
#include "platform/shell.h"

namespace platform {

int WindowDpi(void* handle) {
  HWND window = static_cast<HWND>(handle);
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const GetDpiForWindowFn getDpi =
      Proc<GetDpiForWindowFn>(::GetModuleHandleA("user32.dll"), "GetDpiForWindow");
  if (getDpi && window) {
    UINT dpi = getDpi(window);
    if (dpi) return static_cast<int>(dpi);
  }
  if (!getDpi && window) {
    // Looked up at run time: NT 4.0 has no MonitorFromWindow, only 8.1 on has shcore.
    using MonitorFromWindowFn = HMONITOR(WINAPI*)(HWND, DWORD);
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const MonitorFromWindowFn monitorOf =
        Proc<MonitorFromWindowFn>(::GetModuleHandleA("user32.dll"), "MonitorFromWindow");
    static const GetDpiForMonitorFn monitorDpi = Proc<GetDpiForMonitorFn>(
        static_cast<HMODULE>(LoadSystemLibrary("shcore.dll")), "GetDpiForMonitor");
    UINT x = 0, y = 0;
    const int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    if (monitorOf && monitorDpi &&
        SUCCEEDED(monitorDpi(monitorOf(window, 2 /* MONITOR_DEFAULTTONEAREST */), kEffectiveDpi, &x,
                             &y)) &&
        y)
      return static_cast<int>(y);
  }
  HDC screen = ::GetDC(nullptr);
  int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

FrameSize FrameForClient(int width, int height, unsigned long style, int dpi) {
  RECT r = {0, 0, width, height};
  using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const AdjustForDpiFn adjust =
      Proc<AdjustForDpiFn>(::GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi");
  if (adjust)
    adjust(&r, style, FALSE, 0, static_cast<UINT>(dpi));
  else
    ::AdjustWindowRectEx(&r, style, FALSE, 0);
  FrameSize size;
  size.width = r.right - r.left;
  size.height = r.bottom - r.top;
  return size;
}

}  // namespace platform
