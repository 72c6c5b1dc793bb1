// Real processes: the stand-in server launched, killed with exit code 1,
// and an id Vigilo did not launch left alone; the job that follows what the
// server starts, and the launch without it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/handles_win.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "platform/window_list.h"
#include "supervision/supervisor.h"
#include "tests/native/fakes.h"
#include "tests/win_helpers.h"

namespace {

using wintest::ExitCodeAfter;
using wintest::StandIn;

class RealProcesses : public ::testing::Test {
 protected:
  fakes::Host host;
  fakes::Timer timer;
  std::unique_ptr<platform::ProcessApi> api = platform::CreateSystemProcessApi();
  std::unique_ptr<platform::WindowList> windows = platform::CreateDesktopWindowList();
  supervision::Supervisor sup{host, timer, *api, *windows};
};

TEST_F(RealProcesses, LaunchesAndKillsWithExitCodeOne) {
  host.commandLine = StandIn("KillMe");
  sup.Start_Click();
  ASSERT_TRUE(host.log.lines.empty()) << host.log.lines[0];
  ASSERT_NE(sup.ServerPID(), 0);
  const platform::UniqueHandle watch(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE,
                                                   static_cast<DWORD>(sup.ServerPID())));
  ASSERT_TRUE(watch);
  EXPECT_EQ(::WaitForSingleObject(watch.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

  EXPECT_EQ(sup.KillProcess(sup.ServerPID(), 1), -1);
  EXPECT_EQ(ExitCodeAfter(watch.get(), 10000), 1u);

  // Killing it again is harmless: the process keeps the code it ended with.
  sup.Kill_Click();
  EXPECT_EQ(ExitCodeAfter(watch.get(), 0), 1u);
}

TEST_F(RealProcesses, NeverTerminatesAProcessItDidNotLaunch) {
  const wintest::Started decoy(StandIn("Decoy"));
  ASSERT_TRUE(decoy);
  const auto decoyPid = static_cast<int32_t>(decoy.pid());

  EXPECT_EQ(sup.KillProcess(decoyPid, 1), 0) << "before any launch";
  host.commandLine = StandIn("Guarded");
  sup.Start_Click();
  const platform::UniqueHandle guarded(
      ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(sup.ServerPID())));
  EXPECT_EQ(sup.KillProcess(decoyPid, 1), 0) << "after a launch of another process";
  sup.Kill_Click();
  // Once the launched server has ended, the decoy would have too.
  EXPECT_EQ(::WaitForSingleObject(guarded.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(::WaitForSingleObject(decoy.process(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(RealProcesses, FailedLaunchIsLoggedInWordsAndKeepsTheOldId) {
  host.commandLine = "vigilo-no-such-program-here -servername X";
  sup.Start_Click();
  EXPECT_EQ(sup.ServerPID(), 0);
  ASSERT_EQ(host.log.lines.size(), 1u);
  EXPECT_EQ(host.log.lines[0],
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
    EXPECT_EQ(!r.job, refused);
    EXPECT_EQ(::WaitForSingleObject(reinterpret_cast<HANDLE>(r.process.get()), 10000),
              static_cast<DWORD>(WAIT_OBJECT_0))
        << "the launcher ends";
    EXPECT_FALSE(api->Running(r.process.get()));
    if (!refused) {
      std::vector<uint32_t> ids;
      std::string error;
      ASSERT_TRUE(api->JobProcesses(r.job.get(), &ids, &error)) << error;
      ASSERT_EQ(ids.size(), 1u);
      EXPECT_NE(ids[0], static_cast<uint32_t>(r.pid));
      const platform::UniqueHandle server(
          ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, ids[0]));
      EXPECT_TRUE(api->TerminateJobObject(r.job.get(), 1));
      EXPECT_EQ(ExitCodeAfter(server.get(), 10000), 1u);
      ASSERT_TRUE(api->JobProcesses(r.job.get(), &ids, &error)) << error;
      EXPECT_TRUE(ids.empty());
    }
  }
  // A launcher that starts the server out of its job may: it starts it (which
  // ends by itself after a second), and the job is left empty.
  ::SetEnvironmentVariableA("NWSTANDIN_BREAKAWAY", "1");
  auto api = platform::CreateSystemProcessApi();
  platform::LaunchResult r = api->Launch(StandIn("Away"), platform::kShowNormal);
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_TRUE(r.job);
  EXPECT_EQ(ExitCodeAfter(reinterpret_cast<HANDLE>(r.process.get()), 10000), 0u)
      << "the launcher could not start its server";
  std::vector<uint32_t> ids;
  std::string error;
  EXPECT_TRUE(api->JobProcesses(r.job.get(), &ids, &error)) << error;
  EXPECT_TRUE(ids.empty());
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
    const wintest::Started child(std::string("\"") + self +
                                 "\" --gtest_filter=Jobs.InsideAnotherJob*");
    ::SetEnvironmentVariableA(kInside, nullptr);
    ASSERT_TRUE(child);
    EXPECT_EQ(ExitCodeAfter(child.process(), 60000), 0u) << "the test inside the job failed";
    return;
  }
  const platform::UniqueHandle job(::CreateJobObjectA(nullptr, nullptr));
  HANDLE outer = job.get();
  ASSERT_TRUE(::AssignProcessToJobObject(outer, ::GetCurrentProcess()));
  auto api = platform::CreateSystemProcessApi();
  for (bool allowed : {false, true}) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = allowed ? JOB_OBJECT_LIMIT_BREAKAWAY_OK : 0;
    ASSERT_TRUE(::SetInformationJobObject(outer, JobObjectExtendedLimitInformation, &limits,
                                          sizeof limits));
    platform::LaunchResult r = api->Launch(StandIn("Inside"), platform::kShowNormal);
    ASSERT_TRUE(r.ok) << r.error;
    HANDLE server = reinterpret_cast<HANDLE>(r.process.get());
    BOOL inOuter = TRUE, inOwn = FALSE;
    ::IsProcessInJob(server, outer, &inOuter);
    ::IsProcessInJob(server, reinterpret_cast<HANDLE>(r.job.get()), &inOwn);
    EXPECT_EQ(inOuter != FALSE, !allowed);
    EXPECT_TRUE(inOwn);
    api->TerminateJobObject(r.job.get(), 1);
  }
}

// AdjustTokenPrivileges succeeds even when it assigns nothing: the token
// itself must then show the privilege enabled.
TEST(Privilege, DebugPrivilegeCanBeEnabledOnThisSystem) {
  auto api = platform::CreateSystemProcessApi();
  ASSERT_GE(api->GetVersion(), 0) << "NT family expected";
  platform::Handle handle = 0;
  ASSERT_TRUE(
      api->OpenProcessToken(api->GetCurrentProcess(), platform::kTokenAdjustAndQuery, &handle));
  const platform::OwnedHandle token = api->Own(handle);
  platform::TokenPrivileges set;
  ASSERT_TRUE(api->LookupPrivilegeValueA("", "SeDebugPrivilege", &set.luid));
  set.privilegeCount = 1;
  set.attributes = platform::kPrivilegeEnabled;
  api->AdjustTokenPrivileges(token.get(), false, set);
  DWORD size = 0;
  ::GetTokenInformation(reinterpret_cast<HANDLE>(token.get()), TokenPrivileges, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  ASSERT_TRUE(::GetTokenInformation(reinterpret_cast<HANDLE>(token.get()), TokenPrivileges,
                                    buffer.data(), size, &size));
  const auto* held = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
  bool enabled = false;
  for (DWORD i = 0; i < held->PrivilegeCount; ++i) {
    const LUID_AND_ATTRIBUTES& p = held->Privileges[i];
    if (p.Luid.LowPart == set.luid.lowPart && p.Luid.HighPart == set.luid.highPart)
      enabled = (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
  }
  EXPECT_TRUE(enabled) << "SeDebugPrivilege was not enabled";
}

}  // namespace
