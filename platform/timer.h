// A timer whose ticks come on the user-interface thread.
#pragma once

#include <cstdint>

namespace platform {

class Timer {
 public:
  virtual ~Timer() = default;
  // Like a form timer: a new interval while enabled restarts the count.
  virtual void SetInterval(uint32_t milliseconds) = 0;
  virtual void SetEnabled(bool enabled) = 0;
};

}  // namespace platform

#include <memory>

namespace platform {

// Ticks arrive as WM_TIMER with this id at the window (an HWND).
std::unique_ptr<Timer> CreateWindowTimer(void* window, unsigned id);

}  // namespace platform
