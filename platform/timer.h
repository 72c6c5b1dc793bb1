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
