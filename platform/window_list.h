// The desktop's top-level windows, front to back, and their titles.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

using WindowHandle = std::uintptr_t;  // 0 is none

class WindowList {
 public:
  virtual ~WindowList() = default;
  // Every top-level window, front to back, taken in one call (EnumWindows).
  // Walked from this list, a window that closes or moves while the titles are
  // read can neither end the walk early nor hide a window that stayed put.
  // False, with the system's reason, when the list could not be read whole.
  virtual bool TopLevel(std::vector<WindowHandle>* windows, std::string* error) = 0;
  virtual WindowHandle Parent(WindowHandle window) = 0;  // 0 also for a window gone
  // GetWindowTextA: copies at most max-1 bytes and a NUL; returns the count
  // copied, 0 for a window gone.
  virtual int Title(WindowHandle window, char* buffer, int max) = 0;
  // GetClassNameA, which sends no message; "" for a window gone.
  virtual std::string ClassName(WindowHandle window) = 0;
  // The id of the process that made the window (GetWindowThreadProcessId,
  // which sends no message); 0 for a window gone.
  virtual uint32_t ProcessOf(WindowHandle window) = 0;
  // This process's id: none of its windows is ever the server's.
  virtual uint32_t OwnProcess() = 0;
};

std::unique_ptr<WindowList> CreateDesktopWindowList();

}  // namespace platform
