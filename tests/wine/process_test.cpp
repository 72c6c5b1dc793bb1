// Real processes: the stand-in server launched, killed with exit code 1,
// and an id Vigilo did not launch left alone; the job that follows what the
// server starts, and the launch without it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/process.h"
#include "platform/shell.h"
#include "platform/timer.h"
#include "platform/window_list.h"
#include "supervision/supervisor.h"

namespace {

class NullTimer : public platform::Timer {
 public:
  void SetInterval(uint32_t) override {}
  void SetEnabled(bool) override {}
  bool Enabled() const override { return false; }
  uint32_t Now() const override { return 0; }
};

class TestHost : public supervision::Host {
 public:
  std::string line;
  std::vector<std::string> log;
  std::string CommandLine() const override { return line; }
  std::string ServerName() const override { return "unused"; }
  void LogEvent(const std::string& text) override { log.push_back(text); }
};

struct Spawned {
  PROCESS_INFORMATION info = {};
  ~Spawned() {
    if (info.hProcess) {
      ::TerminateProcess(info.hProcess, 0);
      ::CloseHandle(info.hProcess);
    }
  }
};

// The stand-in's command line for a server name.
std::string StandIn(const char* name) {
  return std::string("\"") + STANDIN_EXE + "\" -servername " + name;
}

// The exit code once the process has ended, STILL_ACTIVE if it does not in time.
DWORD ExitCodeAfter(HANDLE process, DWORD timeoutMs) {
  DWORD code = STILL_ACTIVE;
  if (::WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0)
    ::GetExitCodeProcess(process, &code);
  return code;
}

bool Spawn(std::string line, Spawned* p) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  return ::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &p->info) &&
         ::CloseHandle(p->info.hThread);
}

class RealProcesses : public ::testing::Test {
 protected:
  TestHost host;
  NullTimer timer;
  std::unique_ptr<platform::ProcessApi> api = platform::CreateSystemProcessApi();
  std::unique_ptr<platform::WindowList> windows = platform::CreateDesktopWindowList();
  supervision::Supervisor sup{host, timer, *api, *windows};
};

TEST_F(RealProcesses, LaunchesAndKillsWithExitCodeOne) {
  host.line = StandIn("KillMe");
  sup.Start_Click();
  ASSERT_TRUE(host.log.empty()) << host.log[0];
  ASSERT_NE(sup.ServerPID(), 0);
  HANDLE watch = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE,
                               static_cast<DWORD>(sup.ServerPID()));
  ASSERT_NE(watch, nullptr);
  EXPECT_EQ(::WaitForSingleObject(watch, 500), static_cast<DWORD>(WAIT_TIMEOUT));

  EXPECT_EQ(sup.KillProcess(sup.ServerPID(), 1), -1);
  ASSERT_EQ(::WaitForSingleObject(watch, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD code = 0;
  ::GetExitCodeProcess(watch, &code);
  EXPECT_EQ(code, 1u);

  // Killing it again is harmless: the process keeps the code it ended with.
  sup.Kill_Click();
  ::GetExitCodeProcess(watch, &code);
  EXPECT_EQ(code, 1u);
  ::CloseHandle(watch);
}

TEST_F(RealProcesses, NeverTerminatesAProcessItDidNotLaunch) {
  Spawned decoy;
  ASSERT_TRUE(Spawn(StandIn("Decoy"), &decoy));
  const int32_t decoyPid = static_cast<int32_t>(decoy.info.dwProcessId);

  EXPECT_EQ(sup.KillProcess(decoyPid, 1), 0) << "before any launch";
  host.line = StandIn("Guarded");
  sup.Start_Click();
  EXPECT_EQ(sup.KillProcess(decoyPid, 1), 0) << "after a launch of another process";
  sup.Kill_Click();
  EXPECT_EQ(::WaitForSingleObject(decoy.info.hProcess, 1000), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(RealProcesses, FailedLaunchIsLoggedInWordsAndKeepsTheOldId) {
  host.line = "vigilo-no-such-program-here -servername X";
  sup.Start_Click();
  EXPECT_EQ(sup.ServerPID(), 0);
  ASSERT_EQ(host.log.size(), 1u);
  EXPECT_EQ(host.log[0],
            "Server could not be started: " + platform::ErrorText(ERROR_FILE_NOT_FOUND));
}

// The stand-in as a launcher: it starts the real server and ends, which it
// can only once it was resumed. In a job, the server is listed and ended with
// it; where the job refuses the process, the launch still runs, as one
// process, and the server it starts ends by itself.
TEST(Jobs, TheJobFollowsWhatTheLaunchStartsAndEndsItAll) {
  struct Unset {
    ~Unset() {
      for (const char* name : {"NWSTANDIN_LAUNCHER", "NWSTANDIN_EXIT_AT", "NWSTANDIN_BREAKAWAY"})
        ::SetEnvironmentVariableA(name, nullptr);
    }
  } unset;
  ::SetEnvironmentVariableA("NWSTANDIN_LAUNCHER", "1");
  for (bool refused : {false, true}) {
    if (refused) ::SetEnvironmentVariableA("NWSTANDIN_EXIT_AT", "1");
    auto api = refused ? platform::CreateSystemProcessApiRefusingJobs()
                       : platform::CreateSystemProcessApi();
    platform::LaunchResult r = api->Launch(StandIn("Jobs"), platform::kShowNormal);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.job == 0, refused);
    EXPECT_EQ(::WaitForSingleObject(reinterpret_cast<HANDLE>(r.process), 10000),
              static_cast<DWORD>(WAIT_OBJECT_0))
        << "the launcher ends";
    EXPECT_FALSE(api->Running(r.process));
    if (!refused) {
      std::vector<uint32_t> ids;
      std::string error;
      ASSERT_TRUE(api->JobProcesses(r.job, &ids, &error)) << error;
      ASSERT_EQ(ids.size(), 1u);
      EXPECT_NE(ids[0], static_cast<uint32_t>(r.pid));
      HANDLE server = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, ids[0]);
      EXPECT_TRUE(api->TerminateJobObject(r.job, 1));
      ASSERT_EQ(::WaitForSingleObject(server, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
      DWORD code = 0;
      ::GetExitCodeProcess(server, &code);
      EXPECT_EQ(code, 1u);
      ::CloseHandle(server);
      ASSERT_TRUE(api->JobProcesses(r.job, &ids, &error)) << error;
      EXPECT_TRUE(ids.empty());
      api->CloseHandle(r.job);
    }
    api->CloseHandle(r.process);
  }
  // A launcher that starts the server out of its job may: it starts it (which
  // ends by itself after a second), and the job is left empty.
  ::SetEnvironmentVariableA("NWSTANDIN_BREAKAWAY", "1");
  auto api = platform::CreateSystemProcessApi();
  platform::LaunchResult r = api->Launch(StandIn("Away"), platform::kShowNormal);
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_NE(r.job, 0u);
  EXPECT_EQ(ExitCodeAfter(reinterpret_cast<HANDLE>(r.process), 10000), 0u)
      << "the launcher could not start its server";
  std::vector<uint32_t> ids;
  std::string error;
  EXPECT_TRUE(api->JobProcesses(r.job, &ids, &error)) << error;
  EXPECT_TRUE(ids.empty());
  api->CloseHandle(r.job);
  api->CloseHandle(r.process);
}

// Vigilo run inside a job, as Task Scheduler runs it: where that job forbids
// breakaway the server still launches, in a job of its own nested in it;
// where it allows breakaway the server leaves it. In a process of its own
// (this test again): no process ever leaves a job.
TEST(Jobs, InsideAnotherJobTheServerLeavesItWhereAllowed) {
  const char kInside[] = "VIGILO_TEST_INSIDE_JOB";
  if (!std::getenv(kInside)) {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    ::SetEnvironmentVariableA(kInside, "1");
    Spawned child;
    const bool ok =
        Spawn(std::string("\"") + self + "\" --gtest_filter=Jobs.InsideAnotherJob*", &child);
    ::SetEnvironmentVariableA(kInside, nullptr);
    ASSERT_TRUE(ok);
    EXPECT_EQ(ExitCodeAfter(child.info.hProcess, 60000), 0u) << "the test inside the job failed";
    return;
  }
  HANDLE outer = ::CreateJobObjectA(nullptr, nullptr);
  ASSERT_TRUE(::AssignProcessToJobObject(outer, ::GetCurrentProcess()));
  auto api = platform::CreateSystemProcessApi();
  for (bool allowed : {false, true}) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = allowed ? JOB_OBJECT_LIMIT_BREAKAWAY_OK : 0;
    ASSERT_TRUE(::SetInformationJobObject(outer, JobObjectExtendedLimitInformation, &limits,
                                          sizeof limits));
    platform::LaunchResult r = api->Launch(StandIn("Inside"), platform::kShowNormal);
    ASSERT_TRUE(r.ok) << r.error;
    HANDLE server = reinterpret_cast<HANDLE>(r.process);
    BOOL inOuter = TRUE, inOwn = FALSE;
    ::IsProcessInJob(server, outer, &inOuter);
    ::IsProcessInJob(server, reinterpret_cast<HANDLE>(r.job), &inOwn);
    EXPECT_EQ(inOuter != FALSE, !allowed);
    EXPECT_TRUE(inOwn);
    api->TerminateJobObject(r.job, 1);
    api->CloseHandle(r.job);
    api->CloseHandle(r.process);
  }
}

TEST(Privilege, DebugPrivilegeCanBeEnabledOnThisSystem) {
  auto api = platform::CreateSystemProcessApi();
  ASSERT_GE(api->GetVersion(), 0) << "NT family expected";
  platform::Handle token = 0;
  ASSERT_TRUE(
      api->OpenProcessToken(api->GetCurrentProcess(), platform::kTokenAdjustAndQuery, &token));
  platform::TokenPrivileges set;
  ASSERT_TRUE(api->LookupPrivilegeValueA("", "SeDebugPrivilege", &set.luid));
  set.privilegeCount = 1;
  set.attributes = platform::kPrivilegeEnabled;
  EXPECT_TRUE(api->AdjustTokenPrivileges(token, false, set));
  EXPECT_TRUE(api->CloseHandle(token));
}

}  // namespace
