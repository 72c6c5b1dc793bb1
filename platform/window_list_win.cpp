#include <windows.h>

#include <new>

#include "platform/shell.h"
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
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);  // EnumWindows then fails with it
    return FALSE;
  }
}

class DesktopWindowList : public WindowList {
 public:
  bool TopLevel(std::vector<WindowHandle>* windows, std::string* error) override {
    windows->clear();
    ::SetLastError(ERROR_SUCCESS);
    if (::EnumWindows(Collect, reinterpret_cast<LPARAM>(windows))) return true;
    *error = LastErrorText();
    return false;
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
  uint32_t ProcessOf(WindowHandle window) override {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(W(window), &pid);
    return pid;
  }
  uint32_t OwnProcess() override { return ::GetCurrentProcessId(); }
};

}  // namespace

std::unique_ptr<WindowList> CreateDesktopWindowList() {
  return std::make_unique<DesktopWindowList>();
}

}  // namespace platform
