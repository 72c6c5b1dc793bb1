#include <windows.h>

#include "platform/shell.h"
#include "platform/timer.h"

namespace platform {

namespace {

class WindowTimer : public Timer {
 public:
  WindowTimer(HWND window, UINT_PTR id) : window_(window), id_(id) {}
  ~WindowTimer() override { Stop(); }

  bool Start(uint32_t milliseconds, std::string* error) override {
    // A running timer of the same id restarts its count, as a new one.
    ::SetLastError(ERROR_SUCCESS);
    enabled_ = ::SetTimer(window_, id_, milliseconds, nullptr) != 0;
    if (enabled_) return true;
    *error = LastErrorText();
    ::KillTimer(window_, id_);  // an earlier count must not tick on unseen
    return false;
  }
  void Stop() override {
    if (enabled_) ::KillTimer(window_, id_);
    enabled_ = false;
  }
  bool Enabled() const override { return enabled_; }
  uint32_t Now() const override { return ::GetTickCount(); }

 private:
  HWND window_;
  UINT_PTR id_;
  bool enabled_ = false;
};

}  // namespace

std::unique_ptr<Timer> CreateWindowTimer(void* window, unsigned id) {
  return std::make_unique<WindowTimer>(static_cast<HWND>(window), id);
}

}  // namespace platform
