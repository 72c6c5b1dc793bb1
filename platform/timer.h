// A timer whose ticks come on the user-interface thread.
#pragma once

#include <cstdint>
#include <memory>

namespace platform {

class Timer {
 public:
  virtual ~Timer() = default;
  // Like a form timer: a new interval while enabled restarts the count.
  virtual void SetInterval(uint32_t milliseconds) = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  // Milliseconds on the clock the intervals run on; it wraps, and it goes on
  // while the machine sleeps (GetTickCount).
  virtual uint32_t Now() const = 0;
};

// Ticks arrive as WM_TIMER with this id at the window (an HWND).
std::unique_ptr<Timer> CreateWindowTimer(void* window, unsigned id);

}  // namespace platform
