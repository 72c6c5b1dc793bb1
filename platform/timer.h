// A timer whose ticks come on the user-interface thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class Timer {
 public:
  virtual ~Timer() = default;
  // Runs the count anew, a tick every interval from now: like a form timer
  // given an interval and enabled. False, with the system's reason, when the
  // system refused to count (its desktop heap exhausted): the timer is then
  // stopped, and no tick comes.
  virtual bool Start(uint32_t milliseconds, std::string* error) = 0;
  virtual void Stop() = 0;
  virtual bool Enabled() const = 0;
  // Milliseconds on the clock the intervals run on; it wraps, and it goes on
  // while the machine sleeps (GetTickCount).
  virtual uint32_t Now() const = 0;
};

// Ticks arrive as WM_TIMER with this id at the window (an HWND).
std::unique_ptr<Timer> CreateWindowTimer(void* window, unsigned id);

}  // namespace platform
