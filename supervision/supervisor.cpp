#include "supervision/supervisor.h"

#include <utility>

#include "server/command_line.h"
#include "supervision/window_finder.h"

namespace supervision {

const char kServerKilled[] = "Server killed";
const char kCrashedRestarting[] = "Server crashed...Restarting";
const char kShutDownRestarting[] = "Server shut down...Restarting";
const char kWatchdogHeld[] = "Watchdog held: Windows asked Vigilo to close";
const char kWatchdogResumed[] = "Watchdog resumed";

std::string LaunchFailedMessage(const std::string& reason) {
  return "Server could not be started: " + reason;
}

std::string CheckFailedMessage(const std::string& reason) {
  return "Server could not be checked: " + reason;
}

std::string TimerFailedMessage(const std::string& reason) {
  return "Watchdog could not be started: " + reason;
}

Supervisor::Supervisor(Host& host, platform::Timer& timer, platform::ProcessApi& processes,
                       platform::WindowList& windows)
    : host_(host), timer_(timer), processes_(processes), windows_(windows) {}

void Supervisor::Start_Click() {
  platform::LaunchResult launched = processes_.Launch(host_.CommandLine(), platform::kShowNormal);
  if (launched.ok) {
    serverProcess_ = std::move(launched.process);
    serverJob_ = std::move(launched.job);
    serverPid_ = launched.pid;
  } else {
    // Arm the timer all the same: the watchdog retries at each check until
    // a launch succeeds, instead of leaving the server down.
    host_.LogEvent(LaunchFailedMessage(launched.error));
  }
  heldForSession_ = false;
  Arm(kFirstCheckMs);
}

void Supervisor::Kill_Click() {
  host_.LogEvent(kServerKilled);
  timer_.Stop();
  heldForSession_ = timerRefused_ = false;
  KillProcess(serverPid_, kKillExitCode);
}

bool Supervisor::Arm(uint32_t intervalMs) {
  armedAt_ = timer_.Now();
  armedFor_ = intervalMs;
  std::string error;
  const bool wasRefused = timerRefused_;
  timerRefused_ = !timer_.Start(intervalMs, &error);
  if (timerRefused_ && !wasRefused) host_.LogEvent(TimerFailedMessage(error));
  return !timerRefused_;
}

void Supervisor::Resumed() { resumed_ = true; }

void Supervisor::SessionEnding() {
  if (!timer_.Enabled()) return;
  timer_.Stop();
  heldForSession_ = true;
  host_.LogEvent(kWatchdogHeld);
}

void Supervisor::SessionGoesOn() {
  if (!heldForSession_) return;
  heldForSession_ = false;
  if (Arm(kFirstCheckMs)) host_.LogEvent(kWatchdogResumed);
}

void Supervisor::RetryTimer() {
  if (timerRefused_ && Arm(kFirstCheckMs)) host_.LogEvent(kWatchdogResumed);
}

void Supervisor::Timer1_Timer() {
  // A tick the timer queued before it was stopped must not restart anything.
  if (!timer_.Enabled()) return;
  // Unsigned difference: right across the clock's wrap.
  const bool late = timer_.Now() - armedAt_ > armedFor_ + kLateMs;
  Arm(kCheckMs);
  std::string prefix = std::string(server::kTitlePrefix) + host_.ServerName();
  std::string error;
  std::vector<uint32_t> pids;
  std::string status = ServerProcesses(&pids, &error)
                           ? FindServerWindow(windows_, prefix, pids, &error)
                           : std::string();
  if (status.empty()) {
    // Unknown is not "shut down": kill nothing, launch nothing, keep the last
    // status, and say why, so that a walk failing for good does not go unseen.
    host_.LogEvent(CheckFailedMessage(error));
    return;
  }
  const bool judge = !late && !resumed_;
  resumed_ = false;
  if (judge && status == lastStatus_) {
    status = kCrashedRestarting;
    Kill_Click();
    Start_Click();
  } else if (status == kShutdown) {
    Kill_Click();
    status = kShutDownRestarting;
    Start_Click();
  }
  lastStatus_ = status;
  host_.LogEvent(status);
}

bool Supervisor::ServerProcesses(std::vector<uint32_t>* pids, std::string* error) {
  pids->clear();
  if (serverJob_) return processes_.JobProcesses(serverJob_.get(), pids, error);
  if (serverProcess_ && processes_.Running(serverProcess_.get()))
    pids->push_back(static_cast<uint32_t>(serverPid_));
  return true;
}

bool Supervisor::OwnsProcess(int32_t pid) const {
  return serverProcess_ && pid != 0 && pid == serverPid_;
}

int32_t Supervisor::KillProcess(int32_t hProcessID, int32_t ExitCode) {
  bool result = false;
  platform::Handle token = 0;
  platform::TokenPrivileges privileges;
  const bool nt = processes_.GetVersion() >= 0;
  bool privilegeEnabled = !nt;
  if (nt) {
    privilegeEnabled = processes_.OpenProcessToken(processes_.GetCurrentProcess(),
                                                   platform::kTokenAdjustAndQuery, &token) &&
                       processes_.LookupPrivilegeValueA("", "SeDebugPrivilege", &privileges.luid);
    if (privilegeEnabled) {
      privileges.privilegeCount = 1;
      privileges.attributes = platform::kPrivilegeEnabled;
      privilegeEnabled = processes_.AdjustTokenPrivileges(token, false, privileges);
    }
  }
  if (privilegeEnabled) {
    // The id of a process we no longer hold may belong to anyone by now.
    const bool owned = OwnsProcess(hProcessID);
    // The job ends the launch and every process it started with it.
    if (owned && serverJob_)
      result = processes_.TerminateJobObject(serverJob_.get(), static_cast<uint32_t>(ExitCode));
    platform::Handle process =
        owned && !result ? processes_.OpenProcess(platform::kProcessAllAccess, false, hProcessID)
                         : 0;
    if (process != 0) {
      result = processes_.TerminateProcess(process, static_cast<uint32_t>(ExitCode));
      processes_.CloseHandle(process);
    }
    if (processes_.GetVersion() >= 0) {
      privileges.attributes = platform::kPrivilegeDisabled;
      processes_.AdjustTokenPrivileges(token, false, privileges);
    } else {
      return result ? -1 : 0;
    }
  }
  if (token != 0) processes_.CloseHandle(token);
  return result ? -1 : 0;
}

}  // namespace supervision
