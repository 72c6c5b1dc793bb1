// The desktop's top-level windows, front to back, and their titles.
#pragma once

#include <cstdint>

namespace platform {

using WindowHandle = std::uintptr_t;  // 0 is none

class WindowList {
 public:
  virtual ~WindowList() = default;
  virtual WindowHandle First() = 0;                    // FindWindowA(NULL, NULL)
  virtual WindowHandle Next(WindowHandle window) = 0;  // GetWindow(.., GW_HWNDNEXT)
  virtual WindowHandle Parent(WindowHandle window) = 0;
  // GetWindowTextA: copies at most max-1 bytes and a NUL; returns the count copied.
  virtual int Title(WindowHandle window, char* buffer, int max) = 0;
};

}  // namespace platform

#include <memory>

namespace platform {

std::unique_ptr<WindowList> CreateDesktopWindowList();

}  // namespace platform
