#include "supervision/supervisor.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes.h"
#include "supervision/window_finder.h"

namespace {

using Lines = std::vector<std::string>;

// A supervisor over fakes; the fixture's, and a fresh one for each case of a table.
struct Rig {
  fakes::Host host;
  fakes::Timer timer;
  fakes::Processes processes;
  fakes::Windows windows;
  supervision::Supervisor sup{host, timer, processes, windows};
};

class SupervisorTest : public ::testing::Test, protected Rig {
 protected:
  // The window of the server launched last.
  void ShowTitle(const std::string& suffix) {
    windows.windows = {{"NWServer - My Server" + suffix}};
    windows.windows[0].pid = static_cast<uint32_t>(sup.ServerPID());
  }
  void NoWindow() { windows.windows.clear(); }
  const Lines& Log() { return host.log.lines; }
};

TEST_F(SupervisorTest, WorkedSequenceGivesItsNineLines) {
  sup.Start_Click();
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(timer.enabled);
  EXPECT_EQ(timer.interval, 60000u);
  EXPECT_EQ(sup.ServerPID(), 100);

  ShowTitle(" T1");
  sup.Timer1_Timer();  // 60 s
  EXPECT_EQ(timer.interval, 30000u);
  ShowTitle(" T2");
  sup.Timer1_Timer();  // 90 s
  sup.Timer1_Timer();  // 120 s: T2 again
  EXPECT_EQ(timer.interval, 60000u);
  EXPECT_EQ(sup.ServerPID(), 101);
  EXPECT_EQ(processes.terminated, std::set<int32_t>{100});
  ShowTitle(" T3");
  sup.Timer1_Timer();  // 180 s
  NoWindow();
  sup.Timer1_Timer();  // 210 s
  EXPECT_EQ(sup.ServerPID(), 102);
  ShowTitle(" T4");
  sup.Timer1_Timer();  // 270 s
  sup.Kill_Click();    // 285 s

  EXPECT_EQ(Log(),
            (Lines{"NWServer - My Server T1", "NWServer - My Server T2", "Server killed",
                   "Server crashed...Restarting", "NWServer - My Server T3", "Server killed",
                   "Server shut down...Restarting", "NWServer - My Server T4", "Server killed"}));
  EXPECT_FALSE(timer.enabled);
  EXPECT_EQ(supervision::VisibleText(sup.LastStatus()), "NWServer - My Server T4");
  EXPECT_EQ(sup.LastStatus().size(), 256u);
  EXPECT_EQ(processes.terminated, (std::set<int32_t>{100, 101, 102}));
  EXPECT_EQ(processes.launchedLines.size(), 3u);
}

// Each row of the watchdog's state table: the timer calls and log lines of one tick.
TEST_F(SupervisorTest, TickRows) {
  struct Row {
    const char* name;
    std::string lastTitle;  // title seen at the previous tick ("" none)
    std::string nowTitle;   // title now ("" no window)
    Lines timerCalls;
    Lines log;
  };
  const Row rows[] = {
      {"healthy", " a", " b", {"start 30000"}, {"NWServer - My Server b"}},
      {"crashed",
       " a",
       " a",
       {"start 30000", "stop", "start 60000"},
       {"Server killed", "Server crashed...Restarting"}},
      {"shut down",
       " a",
       "",
       {"start 30000", "stop", "start 60000"},
       {"Server killed", "Server shut down...Restarting"}},
  };
  for (const Row& row : rows) {
    Rig rig;
    rig.sup.Start_Click();
    rig.windows.windows = {{"NWServer - My Server" + row.lastTitle}};
    rig.sup.Timer1_Timer();
    rig.host.log.lines.clear();
    rig.timer.calls.clear();
    rig.windows.windows.clear();
    if (!row.nowTitle.empty()) rig.windows.windows = {{"NWServer - My Server" + row.nowTitle}};
    rig.sup.Timer1_Timer();
    EXPECT_EQ(rig.timer.calls, row.timerCalls) << row.name;
    EXPECT_EQ(rig.host.log.lines, row.log) << row.name;
    EXPECT_TRUE(rig.timer.enabled) << row.name;
  }
}

// A look long overdue (the machine slept, the thread stalled) or the first
// after a wake-up records the title without judging it; the next judges.
// The clock starts just short of its wrap, so every row crosses it.
TEST_F(SupervisorTest, LateOrWokenLooksRecordTheTitleAndTheNextJudges) {
  const Lines crashed = {"Server killed", "Server crashed...Restarting"};
  const Lines shutDown = {"Server killed", "Server shut down...Restarting"};
  const std::string a = "NWServer - My Server a";
  struct Row {
    const char* name;
    uint32_t after;  // ms from the first look to the second
    bool resumed, gone;
    Lines second, third;  // lines of the second look; of a third one on time
  };
  const Row rows[] = {
      {"on time", 30000, false, false, crashed, {}},
      {"15 s late: judged", 45000, false, false, crashed, {}},
      {"over 15 s late", 45001, false, false, {a}, crashed},
      {"after an hour's sleep", 3600000, false, false, {a}, crashed},
      {"late, window gone: restarted", 3600000, false, true, shutDown, {}},
      {"woken", 30000, true, false, {a}, crashed},
      {"woken, window gone: restarted", 30000, true, true, shutDown, {}},
  };
  for (const Row& row : rows) {
    Rig rig;
    rig.timer.now = 0xFFFF0000u;
    rig.sup.Start_Click();
    rig.timer.now += 60000;
    rig.windows.windows = {{a}};
    rig.sup.Timer1_Timer();
    rig.host.log.lines.clear();
    rig.timer.now += row.after;
    if (row.resumed) rig.sup.Resumed();
    if (row.gone) rig.windows.windows.clear();
    rig.sup.Timer1_Timer();
    EXPECT_EQ(rig.host.log.lines, row.second) << row.name;
    rig.host.log.lines.clear();
    if (row.third.empty()) continue;
    rig.timer.now += 30000;
    rig.sup.Timer1_Timer();
    EXPECT_EQ(rig.host.log.lines, row.third) << row.name << ", the look after";
  }
}

TEST_F(SupervisorTest, SessionEndStopsTheWatchdogWithoutAKillAndACancelArmsItAgain) {
  sup.Start_Click();
  ShowTitle(" a");
  sup.Timer1_Timer();
  timer.calls.clear();
  sup.SessionEnding();
  EXPECT_FALSE(timer.enabled);
  NoWindow();          // the server closed with the session
  sup.Timer1_Timer();  // a tick queued before the stop
  EXPECT_EQ(Log(),
            (Lines{"NWServer - My Server a", "Watchdog held: Windows asked Vigilo to close"}));
  EXPECT_TRUE(processes.terminated.empty());
  EXPECT_EQ(processes.launchedLines.size(), 1u);

  sup.SessionGoesOn();
  EXPECT_EQ(timer.calls, (Lines{"stop", "start 60000"}));
  EXPECT_EQ(Log().back(), "Watchdog resumed");
  sup.Timer1_Timer();
  EXPECT_EQ(Log().back(), "Server shut down...Restarting");

  // Stopped by Kill, before the session's end or during it, the watchdog
  // stays stopped whatever the session does.
  sup.Kill_Click();
  sup.SessionEnding();
  sup.SessionGoesOn();
  EXPECT_FALSE(timer.enabled);
  sup.Start_Click();
  sup.SessionEnding();
  sup.Kill_Click();
  sup.SessionGoesOn();
  EXPECT_FALSE(timer.enabled);
}

// A timer the system refuses at a look (the first refusal at Start and the
// retry are shown end to end): the look goes on, a held session has nothing
// to hold, and the operator's Kill ends the retries.
TEST_F(SupervisorTest, ATimerRefusedAtALookIsSaidAndKillEndsTheRetries) {
  sup.Start_Click();
  ShowTitle(" a");
  timer.refusal = "Not enough quota.";
  sup.Timer1_Timer();
  sup.SessionEnding();
  sup.RetryTimer();
  EXPECT_EQ(Log(),
            (Lines{"Watchdog could not be started: Not enough quota.", "NWServer - My Server a"}));
  sup.Kill_Click();
  timer.refusal.clear();
  sup.RetryTimer();
  EXPECT_FALSE(timer.enabled);
}

// Unknown is not "shut down": a look that cannot read the window list or the
// server's job kills nothing, launches nothing, and keeps the last status and
// a wake-up notice; the next look goes on from them.
TEST(Supervisor, AnUncheckedLookKillsNothingAndKeepsWhatTheNextLookNeeds) {
  const struct {
    const char* name;
    std::string listError, jobError;
    bool resumed;
    std::string next;  // the last line of the look once both can be read again
  } rows[] = {
      {"window list", "Not enough memory.", "", false, "Server crashed...Restarting"},
      {"job", "", "Access is denied.", false, "Server crashed...Restarting"},
      {"window list, just after a wake-up", "Not enough memory.", "", true,
       "NWServer - My Server a"},
  };
  for (const auto& row : rows) {
    Rig rig;
    rig.processes.jobs = true;
    rig.sup.Start_Click();
    rig.windows.windows = {{"NWServer - My Server a"}};
    rig.sup.Timer1_Timer();
    if (row.resumed) rig.sup.Resumed();
    rig.windows.listError = row.listError;
    rig.processes.jobError = row.jobError;
    rig.sup.Timer1_Timer();
    rig.sup.Timer1_Timer();
    EXPECT_EQ(Lines(rig.host.log.lines.begin() + 1, rig.host.log.lines.end()),
              Lines(2, "Server could not be checked: " + row.listError + row.jobError))
        << row.name;
    EXPECT_TRUE(rig.processes.terminated.empty() && rig.processes.launchedLines.size() == 1)
        << row.name;
    EXPECT_TRUE(rig.timer.enabled && rig.timer.interval == 30000u) << row.name;
    rig.windows.listError.clear();
    rig.processes.jobError.clear();
    rig.sup.Timer1_Timer();
    EXPECT_EQ(rig.host.log.lines.back(), row.next) << row.name;
  }
}

// The server is every process of its job: a launcher's child is watched and
// killed with it, and each restart leaves one server. Where there is no job,
// the one process launched. Either way its own window is judged before any
// other program's, and once it has ended, no other program's window keeps it up.
TEST(Supervisor, TheServerIsItsLaunchAndWhatItStarted) {
  for (bool jobs : {true, false}) {
    Rig rig;
    rig.processes.jobs = jobs;
    const char* name = jobs ? "job" : "no job";
    rig.sup.Start_Click();
    const uint32_t launcher = 100, child = 150, other = 200;
    uint32_t server = launcher;
    if (jobs) {  // the launch starts the real server and ends
      rig.processes.exited.insert(launcher);
      rig.processes.jobProcesses.begin()->second = {child};
      server = child;
    }
    // Another program's window, its title frozen, above the server's.
    rig.windows.windows = {{"NWServer - My Server other", 0, false, "Other", other},
                           {"NWServer - My Server up 1", 0, false, "NWServer", server}};
    rig.sup.Timer1_Timer();
    rig.windows.windows[1].title = "NWServer - My Server up 2";
    rig.sup.Timer1_Timer();
    rig.sup.Timer1_Timer();  // the server's title is frozen now
    EXPECT_EQ(rig.processes.terminated, std::set<int32_t>{static_cast<int32_t>(server)}) << name;
    // The relaunch (101) ends by itself; the other window stays, and
    // another program now has the ended relaunch's id, with a matching window.
    rig.processes.exited.insert(101);
    if (jobs) rig.processes.jobProcesses.rbegin()->second.clear();
    rig.windows.windows.push_back({"NWServer - My Server reused id", 0, false, "Other", 101});
    rig.sup.Timer1_Timer();
    EXPECT_EQ(rig.host.log.lines, (Lines{"NWServer - My Server up 1", "NWServer - My Server up 2",
                                         "Server killed", "Server crashed...Restarting",
                                         "Server killed", "Server shut down...Restarting"}))
        << name;
    const auto jobKills =
        std::count(rig.processes.calls.begin(), rig.processes.calls.end(), "TerminateJobObject 1");
    EXPECT_EQ(jobKills, jobs ? 2 : 0) << name;
    EXPECT_EQ(rig.processes.openHandles.size(), jobs ? 2u : 1u)
        << name << ": only the last launch's";
  }
}

TEST_F(SupervisorTest, FirstTickWithoutWindowIsShutDownNeverCrashed) {
  sup.Start_Click();
  NoWindow();
  sup.Timer1_Timer();
  sup.Timer1_Timer();  // still nothing: shut down again, not "crashed"
  EXPECT_EQ(Log(), (Lines{"Server killed", "Server shut down...Restarting", "Server killed",
                          "Server shut down...Restarting"}));
}

TEST_F(SupervisorTest, LastStatusSurvivesKillAndStart) {
  sup.Start_Click();
  ShowTitle(" same");
  sup.Timer1_Timer();
  sup.Kill_Click();
  sup.Start_Click();
  ShowTitle(" same");  // the new server shows the very title last seen
  sup.Timer1_Timer();
  EXPECT_EQ(Log().back(), "Server crashed...Restarting");
}

TEST_F(SupervisorTest, PrefixFollowsTheCurrentServerName) {
  sup.Start_Click();
  ShowTitle(" up 1");
  sup.Timer1_Timer();
  host.serverName = "Renamed";
  ShowTitle(" up 2");
  sup.Timer1_Timer();
  EXPECT_EQ(Log().back(), "Server shut down...Restarting");
  ShowTitle(" up 2");  // the relaunched server
  host.serverName = "";
  sup.Timer1_Timer();  // the bare prefix matches any server window
  EXPECT_EQ(Log().back(), "NWServer - My Server up 2");
}

TEST_F(SupervisorTest, RestartRunsTheCommandLineAsItIsNow) {
  sup.Start_Click();
  host.commandLine = "nwserver -servername \"Edited\"";
  NoWindow();
  sup.Timer1_Timer();
  EXPECT_EQ(processes.launchedLines.back(), "nwserver -servername \"Edited\"");
  EXPECT_EQ(std::count(processes.calls.begin(), processes.calls.end(), "Launch show=1"), 2);
}

TEST_F(SupervisorTest, FailedLaunchIsLoggedAndTheWatchdogKeepsTrying) {
  processes.launchOk = false;
  sup.Start_Click();
  EXPECT_EQ(Log(),
            (Lines{"Server could not be started: The system cannot find the file specified."}));
  EXPECT_EQ(sup.ServerPID(), 0);
  EXPECT_TRUE(timer.enabled);
  EXPECT_EQ(timer.interval, 60000u);

  processes.launchOk = true;
  sup.Start_Click();
  ASSERT_EQ(sup.ServerPID(), 100);
  processes.launchOk = false;
  NoWindow();
  sup.Timer1_Timer();  // restart fails: logged, tick goes on, timer armed
  EXPECT_EQ(sup.ServerPID(), 100);
  EXPECT_TRUE(timer.enabled);
  EXPECT_EQ(timer.interval, 60000u);
  EXPECT_EQ(sup.LastStatus(), "Server shut down...Restarting");
  processes.launchOk = true;
  sup.Timer1_Timer();  // next check: the launch works again
  EXPECT_EQ(sup.ServerPID(), 101);
  EXPECT_EQ(Log(), (Lines{"Server could not be started: The system cannot find the file specified.",
                          "Server killed",
                          "Server could not be started: The system cannot find the file specified.",
                          "Server shut down...Restarting", "Server killed",
                          "Server shut down...Restarting"}));
}

TEST_F(SupervisorTest, KillBeforeAnyStartTerminatesNothing) {
  sup.Kill_Click();
  EXPECT_EQ(Log(), Lines{"Server killed"});
  EXPECT_FALSE(timer.enabled);
  EXPECT_TRUE(processes.terminated.empty());
}

// The process and its job are held from the launch to the next launch or
// the supervisor's end, and then closed.
TEST(Supervisor, HandlesAreHeldUntilTheNextLaunchOrTheEnd) {
  for (bool jobs : {true, false}) {
    fakes::Host host;
    fakes::Timer timer;
    fakes::Processes processes;
    fakes::Windows windows;
    processes.jobs = jobs;
    {
      supervision::Supervisor sup{host, timer, processes, windows};
      sup.Start_Click();
      const std::set<platform::Handle> first = processes.openHandles;
      sup.Start_Click();
      EXPECT_EQ(processes.openHandles.size(), jobs ? 2u : 1u) << "only the latest launch's";
      for (platform::Handle h : first) EXPECT_EQ(processes.openHandles.count(h), 0u);
    }
    EXPECT_TRUE(processes.openHandles.empty()) << (jobs ? "job" : "no job");
  }
}

TEST_F(SupervisorTest, KillProcessOnNtFollowsThePrivilegeSequence) {
  sup.Start_Click();
  processes.calls.clear();
  EXPECT_EQ(sup.KillProcess(100, 1), -1);
  const Lines expected = {
      "GetVersion",
      "GetCurrentProcess",
      "OpenProcessToken 0x7777 0x28",
      "LookupPrivilegeValueA \"\" SeDebugPrivilege",
      "AdjustTokenPrivileges disableAll=0 count=1 luid=20 attributes=2",
      "OpenProcess 0x1F0FFF 0 100",
      "TerminateProcess 100 1",
      "CloseHandle process",
      "GetVersion",
      "AdjustTokenPrivileges disableAll=0 count=1 luid=20 attributes=0",
      "CloseHandle token",
  };
  EXPECT_EQ(processes.calls, expected);
}

TEST_F(SupervisorTest, KillProcessOn9xSkipsThePrivilege) {
  processes.version = static_cast<int32_t>(0xC0000A04);
  sup.Start_Click();
  processes.calls.clear();
  EXPECT_EQ(sup.KillProcess(100, 7), -1);
  EXPECT_EQ(processes.calls,
            (Lines{"GetVersion", "OpenProcess 0x1F0FFF 0 100", "TerminateProcess 100 7",
                   "CloseHandle process", "GetVersion"}));
}

TEST_F(SupervisorTest, KillProcessStopsWhenAPrivilegeStepFailsAndClosesTheToken) {
  struct {
    const char* name;
    bool token, lookup, adjust;
    Lines tail;  // calls after GetCurrentProcess
  } cases[] = {
      {"token", false, true, true, {"OpenProcessToken 0x7777 0x28"}},
      {"lookup",
       true,
       false,
       true,
       {"OpenProcessToken 0x7777 0x28", "LookupPrivilegeValueA \"\" SeDebugPrivilege",
        "CloseHandle token"}},
      {"adjust",
       true,
       true,
       false,
       {"OpenProcessToken 0x7777 0x28", "LookupPrivilegeValueA \"\" SeDebugPrivilege",
        "AdjustTokenPrivileges disableAll=0 count=1 luid=20 attributes=2", "CloseHandle token"}},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.sup.Start_Click();
    rig.processes.calls.clear();
    rig.processes.tokenOk = c.token;
    rig.processes.lookupOk = c.lookup;
    rig.processes.adjustOk = c.adjust;
    EXPECT_EQ(rig.sup.KillProcess(100, 1), 0) << c.name;
    Lines expected = {"GetVersion", "GetCurrentProcess"};
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(rig.processes.calls, expected) << c.name;
    EXPECT_TRUE(rig.processes.terminated.empty()) << c.name;
    EXPECT_EQ(rig.processes.openHandles.size(), 1u) << c.name;  // only the launch handle
  }
}

TEST_F(SupervisorTest, KillProcessReportsAFailedTermination) {
  sup.Start_Click();
  processes.terminateOk = false;
  EXPECT_EQ(sup.KillProcess(100, 1), 0);
}

TEST_F(SupervisorTest, KillProcessNeverTouchesAnIdItDidNotLaunch) {
  struct {
    const char* name;
    bool launch;
    int32_t pid;
  } cases[] = {{"nothing launched, id 0", false, 0},
               {"nothing launched, some id", false, 4242},
               {"another id than the launch", true, 4242},
               {"id 0 after a launch", true, 0}};
  for (const auto& c : cases) {
    Rig rig;
    if (c.launch) rig.sup.Start_Click();
    EXPECT_EQ(rig.sup.KillProcess(c.pid, 1), 0) << c.name;
    for (const std::string& call : rig.processes.calls)
      EXPECT_NE(call.rfind("OpenProcess ", 0), 0u) << c.name << ": " << call;
    EXPECT_TRUE(rig.processes.terminated.empty()) << c.name;
  }
}

}  // namespace
