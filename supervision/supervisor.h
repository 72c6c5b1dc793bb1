// Starting and killing the server, and the watchdog that restarts it when its
// window vanishes or its title stops changing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/timer.h"
#include "platform/window_list.h"

namespace supervision {

constexpr uint32_t kFirstCheckMs = 60000;
constexpr uint32_t kCheckMs = 30000;
constexpr int32_t kKillExitCode = 1;
// A tick this long past its due time came after a sleep or a stall of this
// process; the server was most likely held up as long, so its title proves
// nothing.
constexpr uint32_t kLateMs = 15000;

extern const char kServerKilled[];        // "Server killed"
extern const char kCrashedRestarting[];   // "Server crashed...Restarting"
extern const char kShutDownRestarting[];  // "Server shut down...Restarting"
// The watchdog off, and back, without the operator's Kill.
extern const char kWatchdogHeld[];     // "Watchdog held: Windows asked Vigilo to close"
extern const char kWatchdogResumed[];  // "Watchdog resumed"

std::string LaunchFailedMessage(const std::string& reason);
std::string CheckFailedMessage(const std::string& reason);  // the window list unread
std::string TimerFailedMessage(const std::string& reason);  // the system refused the timer

// What the supervisor needs of the main window.
class Host {
 public:
  virtual ~Host() = default;
  virtual std::string CommandLine() const = 0;  // the caption of cmd
  virtual std::string ServerName() const = 0;   // the text of SName
  virtual void LogEvent(const std::string& text) = 0;
};

class Supervisor {
 public:
  Supervisor(Host& host, platform::Timer& timer, platform::ProcessApi& processes,
             platform::WindowList& windows);
  ~Supervisor() = default;
  Supervisor(const Supervisor&) = delete;
  Supervisor& operator=(const Supervisor&) = delete;

  void Start_Click();
  void Kill_Click();
  void Timer1_Timer();

  // The machine woke from sleep: the next look records the title, judges nothing.
  void Resumed();
  // Windows asks every program to close, for the session's end or for an
  // installer (Restart Manager): no look may relaunch the server meanwhile.
  // When the session goes on (the end cancelled, or Vigilo asked to close
  // but left running), the watchdog is armed again as a launch arms it.
  void SessionEnding();
  void SessionGoesOn();
  // The system refused the watchdog's timer: tries it again. The window
  // calls this when the operator comes back to it, and after a wake-up.
  void RetryTimer();

  // -1 when the platform reported the process terminated, else 0. Only the
  // process this supervisor launched last is ever terminated.
  int32_t KillProcess(int32_t hProcessID, int32_t ExitCode);

  int32_t ServerPID() const { return serverPid_; }
  const std::string& LastStatus() const { return lastStatus_; }

 private:
  bool OwnsProcess(int32_t pid) const;
  // The server's processes that still run: those of its job, else the one
  // launched. False, with the reason, when the job cannot be asked.
  bool ServerProcesses(std::vector<uint32_t>* pids, std::string* error);
  // Starts the timer, noting when and for how long; says so once when the
  // system refuses it.
  bool Arm(uint32_t intervalMs);

  Host& host_;
  platform::Timer& timer_;
  platform::ProcessApi& processes_;
  platform::WindowList& windows_;
  int32_t serverPid_ = 0;
  platform::OwnedHandle serverProcess_;  // held so the id cannot pass to another program
  platform::OwnedHandle serverJob_;      // the launch and what it started; none without a job
  std::string lastStatus_;
  uint32_t armedAt_ = 0, armedFor_ = 0;
  bool resumed_ = false;         // a wake-up since the last look
  bool heldForSession_ = false;  // stopped by a session end, not by Kill
  bool timerRefused_ = false;    // to run, but the system would not count
};

}  // namespace supervision
