#include <windows.h>

#include "platform/timer.h"

namespace platform {

namespace {

class WindowTimer : public Timer {
 public:
  WindowTimer(HWND window, UINT_PTR id) : window_(window), id_(id) {}
  ~WindowTimer() override { SetEnabled(false); }

  void SetInterval(uint32_t milliseconds) override {
    interval_ = milliseconds;
    if (enabled_) ::SetTimer(window_, id_, interval_, nullptr);  // restarts the count
  }
  void SetEnabled(bool enabled) override {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled)
      ::SetTimer(window_, id_, interval_, nullptr);
    else
      ::KillTimer(window_, id_);
  }
  bool Enabled() const override { return enabled_; }
  uint32_t Now() const override { return ::GetTickCount(); }

 private:
  HWND window_;
  UINT_PTR id_;
  uint32_t interval_ = 5000;  // never used: every enable follows a new interval
  bool enabled_ = false;
};

}  // namespace

std::unique_ptr<Timer> CreateWindowTimer(void* window, unsigned id) {
  return std::make_unique<WindowTimer>(static_cast<HWND>(window), id);
}

}  // namespace platform
