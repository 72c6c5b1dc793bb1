#include <windows.h>

#include "platform/window_list.h"

namespace platform {

namespace {

HWND W(WindowHandle w) { return reinterpret_cast<HWND>(w); }
WindowHandle Of(HWND w) { return reinterpret_cast<WindowHandle>(w); }

class DesktopWindowList : public WindowList {
 public:
  WindowHandle First() override { return Of(::FindWindowA(nullptr, nullptr)); }
  WindowHandle Next(WindowHandle window) override {
    return Of(::GetWindow(W(window), GW_HWNDNEXT));
  }
  WindowHandle Parent(WindowHandle window) override { return Of(::GetParent(W(window))); }
  int Title(WindowHandle window, char* buffer, int max) override {
    return ::GetWindowTextA(W(window), buffer, max);
  }
};

}  // namespace

std::unique_ptr<WindowList> CreateDesktopWindowList() {
  return std::make_unique<DesktopWindowList>();
}

}  // namespace platform
