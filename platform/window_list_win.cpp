#include <windows.h>

#include <new>

#include "platform/window_list.h"

namespace platform {

namespace {

HWND W(WindowHandle w) { return reinterpret_cast<HWND>(w); }
WindowHandle Of(HWND w) { return reinterpret_cast<WindowHandle>(w); }

BOOL CALLBACK Collect(HWND window, LPARAM list) {
  // No exception may cross user32's frames: out of memory ends the list here.
  try {
    reinterpret_cast<std::vector<WindowHandle>*>(list)->push_back(Of(window));
    return TRUE;
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
}

class DesktopWindowList : public WindowList {
 public:
  std::vector<WindowHandle> TopLevel() override {
    std::vector<WindowHandle> windows;
    ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
  }
  WindowHandle Parent(WindowHandle window) override { return Of(::GetParent(W(window))); }
  int Title(WindowHandle window, char* buffer, int max) override {
    return ::GetWindowTextA(W(window), buffer, max);
  }
  std::string ClassName(WindowHandle window) override {
    char name[256];
    int n = ::GetClassNameA(W(window), name, sizeof name);
    return std::string(name, n > 0 ? static_cast<size_t>(n) : 0);
  }
  bool Ours(WindowHandle window) override {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(W(window), &pid);
    return pid == self_;
  }

 private:
  const DWORD self_ = ::GetCurrentProcessId();
};

}  // namespace

std::unique_ptr<WindowList> CreateDesktopWindowList() {
  return std::make_unique<DesktopWindowList>();
}

}  // namespace platform
