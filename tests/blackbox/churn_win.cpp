// A busy desktop: 200 top-level windows that close, open, drop to the bottom
// of the Z order and come back on top, a few hundred times a second, as
// tooltips, menus and notifications do. Runs until the process whose id is
// its argument ends, so it never outlives the test that started it.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

const int kWindows = 200;

HWND Open(int i) {
  std::string title = "Churn " + std::to_string(i);
  // In the screen's bottom right corner, clear of the windows under test.
  const int x = ::GetSystemMetrics(SM_CXSCREEN) - 130, y = ::GetSystemMetrics(SM_CYSCREEN) - 70;
  HWND w = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "STATIC", title.c_str(), WS_POPUP,
                             x + (i % 20) * 6, y + (i / 20) * 6, 5, 5, nullptr, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
  ::ShowWindow(w, SW_SHOWNOACTIVATE);
  return w;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR args, int) {
  HANDLE owner = ::OpenProcess(SYNCHRONIZE, FALSE, std::strtoul(args, nullptr, 10));
  if (!owner) return 2;
  HWND windows[kWindows];
  for (int i = 0; i < kWindows; ++i) windows[i] = Open(i);
  const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  std::srand(::GetCurrentProcessId());
  while (::WaitForSingleObject(owner, 1) == WAIT_TIMEOUT) {
    for (int step = 0; step < 3; ++step) {
      int i = std::rand() % kWindows;
      switch (std::rand() % 3) {
        case 0:
          ::DestroyWindow(windows[i]);
          windows[i] = Open(i);
          break;
        case 1:
          ::SetWindowPos(windows[i], HWND_BOTTOM, 0, 0, 0, 0, flags);
          break;
        default:
          ::SetWindowPos(windows[i], HWND_TOP, 0, 0, 0, 0, flags);
          break;
      }
    }
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  }
  return 0;
}
