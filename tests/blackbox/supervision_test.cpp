// The watchdog end to end: its real 60 s and 30 s intervals where they are the
// point, elsewhere looks made at once by sending the timer's tick. Each suite
// is its own ctest test, so the scenarios run side by side.
#include <gtest/gtest.h>

#include <cstdlib>

#include "driver.h"

namespace {

using blackbox::Server;
using Lines = std::vector<std::string>;

const DWORD kSecond = 1000;

std::string UniqueName(const char* base) {
  return std::string(base) + " " + std::to_string(::GetCurrentProcessId());
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

std::unique_ptr<blackbox::Vigilo> StartVigilo(const char* folder, const std::string& name,
                                              const std::string& plan) {
  auto v = std::make_unique<blackbox::Vigilo>(
      blackbox::Options{folder, "vigilo.exe", Server::StandIn, {{"NWSTANDIN_PLAN", plan}}});
  if (!v->WaitForMainWindow()) return nullptr;
  blackbox::SetTextOf(v->Control("SName"), name);
  return v;
}

// Calls of the privilege functions that Vigilo made, as the probe counted them.
Lines PrivilegeCalls(long token, long lookup, long adjust) {
  return {"OpenProcessToken|" + std::to_string(token),
          "LookupPrivilegeValueA|" + std::to_string(lookup),
          "AdjustTokenPrivileges|" + std::to_string(adjust)};
}

bool WaitForLines(const blackbox::Vigilo& v, size_t count, DWORD timeoutMs) {
  return blackbox::WaitFor([&] { return v.Log().size() >= count; }, timeoutMs, 250);
}

// The stand-in's window for a name, once one of a process other than `old` shows.
HWND NewServerWindow(const std::string& name, HWND old) {
  HWND w = nullptr;
  blackbox::WaitFor(
      [&] {
        w = blackbox::StandInWindow(name);
        return w && (!old || blackbox::ProcessOf(w) != blackbox::ProcessOf(old));
      },
      blackbox::Scaled(10 * kSecond));
  return w;
}

// Ticked from the first look: healthy; then the server hangs before the
// second look, which logs its last title; the third restarts it. *server
// becomes the relaunched server's window.
void HangAtTheSecondLook(const blackbox::Vigilo& v, const std::string& name, HWND* server) {
  v.Tick();
  ASSERT_EQ(v.Log().size(), 1u);
  const std::string first = v.Log()[0];
  ASSERT_TRUE(blackbox::WaitFor([&] { return blackbox::TitleOf(*server) != first; },
                                blackbox::Scaled(3000)));
  blackbox::Freeze(blackbox::ProcessOf(*server), true);
  v.Tick();
  v.Tick();
  ASSERT_TRUE(*server = NewServerWindow(name, *server));
}

// Start; healthy, healthy; frozen title (crashed); healthy; window gone
// (shut down); healthy; Kill. In real time the first four looks come from
// Vigilo's own timer, at 60, 90, 120 and 180 s, and launch 1 freezes its
// title at 75 s; ticked, the looks come as soon as the title has changed, and
// the test freezes launch 1 itself. Either way the test ends launch 2.
void WorkedSequence(bool realTime) {
  const std::string name = UniqueName("Worked");
  auto v = StartVigilo("worked", name, realTime ? "freeze=75|" : "");
  ASSERT_TRUE(v);
  blackbox::Probe probe(*v);
  ASSERT_EQ(probe.Ask("VigiloCallProbe", "callprobe.txt"), PrivilegeCalls(0, 0, 0));
  v->Click("Start");
  DWORD since = ::GetTickCount();
  HWND server = NewServerWindow(name, nullptr);
  ASSERT_TRUE(server);
  EXPECT_TRUE(v->Log().empty());
  if (realTime) {
    ASSERT_TRUE(v->WaitForLook(1, &since, 60 * kSecond));
    ASSERT_TRUE(v->WaitForLook(2, &since, 30 * kSecond));
    ASSERT_TRUE(v->WaitForLook(4, &since, 30 * kSecond));
    ASSERT_TRUE(server = NewServerWindow(name, server));
    ASSERT_TRUE(v->WaitForLook(5, &since, 60 * kSecond));
  } else {
    ASSERT_NO_FATAL_FAILURE(HangAtTheSecondLook(*v, name, &server));
    v->Tick();
  }
  ASSERT_TRUE(blackbox::EndServer(server));
  v->Tick();
  ASSERT_TRUE(server = NewServerWindow(name, nullptr));
  v->Tick();
  const platform::UniqueHandle last = blackbox::OpenProcessOf(blackbox::ProcessOf(server));
  ASSERT_TRUE(last);
  v->Click("Kill");
  EXPECT_EQ(wintest::ExitCodeAfter(last.get(), blackbox::Scaled(10 * kSecond)), 1u)
      << "killed with exit code 1";
  // Three kills. The NT family enables the debug privilege for each and
  // disables it again; Windows 9x has no tokens and makes none of these calls.
  const bool nt = (::GetVersion() & 0x80000000u) == 0;
  EXPECT_EQ(probe.Ask("VigiloCallProbe", "callprobe.txt"),
            nt ? PrivilegeCalls(3, 3, 6) : PrivilegeCalls(0, 0, 0));

  Lines log = v->Log();
  ASSERT_EQ(log.size(), 9u);
  const std::string title = "NWServer - " + name + " ";
  EXPECT_TRUE(StartsWith(log[0], title + "#1 up ")) << log[0];
  EXPECT_TRUE(StartsWith(log[1], title + "#1 up ")) << log[1];
  EXPECT_NE(log[0], log[1]);
  EXPECT_EQ(log[2], "Server killed");
  EXPECT_EQ(log[3], "Server crashed...Restarting");
  EXPECT_TRUE(StartsWith(log[4], title + "#2 up ")) << log[4];
  EXPECT_EQ(log[5], "Server killed");
  EXPECT_EQ(log[6], "Server shut down...Restarting");
  EXPECT_TRUE(StartsWith(log[7], title + "#3 up ")) << log[7];
  EXPECT_EQ(log[8], "Server killed");
  EXPECT_EQ(v->LogSelection(), 8);
}

TEST(WorkedSequence, InRealTimeGivesItsNineLogLines) { WorkedSequence(true); }

// Nothing in the intervals differs on Windows 9x; the kills and launches do.
TEST(WorkedSequence, TickedGivesItsNineLogLines) { WorkedSequence(false); }

// Windows does what Wine does not; each is played here as Windows does it.
// The session ends (the query, then the server closes) and is cancelled;
// Restart Manager asks Vigilo to close for an installer; the machine sleeps with the server (both
// frozen past a look's due time, the one wait in real time); it wakes with a notice; the server
// hangs beneath a window of another program titled as its ghost would be. Only the hang that
// outlasts all that is restarted.
TEST(Desktop, SleepWakeAndSessionEndRestartOnlyAHungServer) {
  const std::string name = UniqueName("Desktop");
  auto v = StartVigilo("desktop", name, "");
  ASSERT_TRUE(v);
  auto joined = [&] {
    std::string all;
    for (const std::string& line : v->Log()) all += "\n  " + line;
    return all;
  };
  v->Click("Start");
  HWND server = NewServerWindow(name, nullptr);
  ASSERT_TRUE(server);
  DWORD_PTR answer = 0;
  ASSERT_TRUE(::SendMessageTimeoutA(v->main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                    SMTO_NORMAL, 5 * kSecond, &answer));
  EXPECT_TRUE(answer) << "the session may end";
  ASSERT_TRUE(blackbox::EndServer(server));  // the server goes with the session
  v->Tick();                                 // one the timer queued before it stopped
  const Lines held = {"Watchdog held: Windows asked Vigilo to close"};
  EXPECT_EQ(v->Log(), held) << "relaunched into the ending session:" << joined();

  // Cancelled: the watchdog is back, and finds the server gone.
  ::SendMessageTimeoutA(v->main(), WM_ENDSESSION, FALSE, 0, SMTO_NORMAL, 5 * kSecond, &answer);
  v->Tick();
  ASSERT_EQ(v->Log().size(), 4u) << joined();
  ASSERT_TRUE(server = NewServerWindow(name, nullptr));
  // Restart Manager: asked to close, and staying open, Vigilo is watching again.
  ::SendMessageTimeoutA(v->main(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_NORMAL,
                        5 * kSecond, &answer);
  ::SendMessageTimeoutA(v->main(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_NORMAL,
                        5 * kSecond, &answer);
  const DWORD serverPid = blackbox::ProcessOf(server);
  struct Thaw {  // whatever fails, nothing stays frozen and no server is left
    DWORD server, vigilo;
    ~Thaw() {
      blackbox::Freeze(vigilo, false);
      blackbox::Freeze(server, false);
      blackbox::EndProcess(server, 1);
    }
  } thaw{serverPid, v->pid()};

  // Asleep from a look until 20 s after the next was due.
  blackbox::Freeze(serverPid, true);
  v->Tick();
  blackbox::Freeze(v->pid(), true);
  ::Sleep(50 * kSecond);
  blackbox::Freeze(v->pid(), false);
  ASSERT_TRUE(WaitForLines(*v, 8, blackbox::Scaled(10 * kSecond))) << joined();
  blackbox::Freeze(serverPid, false);

  // Hung beneath another program's window titled as its ghost; a wake-up
  // notice, then the looks.
  const std::string before = blackbox::TitleOf(server);
  ASSERT_TRUE(blackbox::WaitFor([&] { return blackbox::TitleOf(server) != before; },
                                blackbox::Scaled(3000)));
  blackbox::Freeze(serverPid, true);
  const std::string title = blackbox::TitleOf(server);
  HWND ghost = blackbox::OtherProgramWindow(title + " (Not Responding)");
  v->Tick();
  ::SendMessageTimeoutA(v->main(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0, SMTO_NORMAL,
                        5 * kSecond, &answer);
  v->Tick();
  v->Tick();
  ::DestroyWindow(ghost);
  v->Click("Kill");

  Lines log = v->Log();
  ASSERT_EQ(log.size(), 13u) << joined();
  const std::string resumed = "Watchdog resumed";
  EXPECT_EQ(Lines(log.begin(), log.begin() + 6),
            (Lines{held[0], resumed, "Server killed", "Server shut down...Restarting", held[0],
                   resumed}));
  EXPECT_TRUE(StartsWith(log[6], "NWServer - " + name + " #2 up ")) << log[6];
  EXPECT_EQ(log[7], log[6]) << "the look after the sleep judged the frozen title";
  EXPECT_EQ(log[8], title) << "the other program's title, or a restart";
  EXPECT_EQ(log[9], title) << "the look after the wake-up judged";
  EXPECT_EQ(Lines(log.begin() + 10, log.end()),
            (Lines{"Server killed", "Server crashed...Restarting", "Server killed"}));
}

// A nwserver.exe that starts the real server as another program and ends:
// the real server is watched, restarted once when it hangs, and killed. (Its
// servers end by themselves after two minutes: Vigilo's driver would not find
// them, should the test fail.)
TEST(Launcher, TheServerItStartsIsWatchedRestartedAndKilled) {
  const std::string name = UniqueName("Launcher");
  auto v = StartVigilo("launcher", name, "launcher=1,exit=120|launcher=1,exit=120");
  ASSERT_TRUE(v);
  auto running = [&] { return blackbox::StandInWindows(name).size(); };
  v->Click("Start");
  HWND server = NewServerWindow(name, nullptr);
  ASSERT_TRUE(server);
  ASSERT_NO_FATAL_FAILURE(HangAtTheSecondLook(*v, name, &server));
  EXPECT_TRUE(blackbox::WaitFor([&] { return running() == 1; }, blackbox::Scaled(10 * kSecond)))
      << running() << " servers run after the restart";
  v->Click("Kill");
  EXPECT_TRUE(blackbox::WaitFor([&] { return running() == 0; }, blackbox::Scaled(10 * kSecond)))
      << running() << " servers run after Kill Server";

  Lines log = v->Log();
  ASSERT_EQ(log.size(), 5u);
  const std::string title = "NWServer - " + name + " #1 up ";
  EXPECT_TRUE(StartsWith(log[0], title)) << log[0];
  EXPECT_TRUE(StartsWith(log[1], title)) << log[1];
  EXPECT_EQ(Lines(log.begin() + 2, log.end()),
            (Lines{"Server killed", "Server crashed...Restarting", "Server killed"}));
}

// A console server whose window a terminal hosts: the titled window is
// another program's (here the test's), the server keeps only an untitled
// pop-up, which the terminal's window owns. It stands for the server while the
// server runs, and no longer; a frozen look-alike in front never does.
TEST(Hosted, TheTerminalsWindowCountsOnlyWhileTheServerRuns) {
  const std::string name = UniqueName("Hosted");
  const std::string title = "NWServer - " + name + " up ";
  HWND terminal = blackbox::OtherProgramWindow(title + "1");
  const std::string hosted =
      "hosted=1,owner=" + std::to_string(reinterpret_cast<UINT_PTR>(terminal));
  auto v = StartVigilo("hosted", name, hosted + "|" + hosted);
  ASSERT_TRUE(v);
  HWND lookalike = blackbox::OtherProgramWindow(title + "0");
  // Whether a server other than `old` shows its pop-up under the terminal.
  auto shown = [&](DWORD old) {
    for (DWORD pid : blackbox::ServersLaunchedBy(v->pid()))
      for (HWND w : blackbox::TopLevelWindows(pid))
        if (pid != old && ::GetWindow(w, GW_OWNER) == terminal) return true;
    return false;
  };
  v->Click("Start");
  const std::vector<DWORD> first = blackbox::ServersLaunchedBy(v->pid());
  ASSERT_EQ(first.size(), 1u);
  ASSERT_TRUE(blackbox::WaitFor([&] { return shown(0); }, blackbox::Scaled(10 * kSecond)));
  v->Tick();
  ::SetWindowTextA(terminal, (title + "2").c_str());
  v->Tick();
  v->Tick();  // the title froze
  ASSERT_TRUE(blackbox::WaitFor([&] { return shown(first[0]); }, blackbox::Scaled(10 * kSecond)));
  ::SetWindowTextA(terminal, (title + "3").c_str());
  v->Tick();
  for (DWORD pid : blackbox::ServersLaunchedBy(v->pid()))  // the relaunch ends
    if (pid != first[0]) blackbox::EndProcess(pid, 0, blackbox::Scaled(10 * kSecond));
  ::SetWindowTextA(terminal, (title + "4").c_str());
  v->Tick();  // the terminal's window is left behind
  v->Click("Kill");
  ::DestroyWindow(lookalike);
  ::DestroyWindow(terminal);
  EXPECT_EQ(v->Log(), (Lines{title + "1", title + "2", "Server killed",
                             "Server crashed...Restarting", title + "3", "Server killed",
                             "Server shut down...Restarting", "Server killed"}));
}

TEST(SlowStart, IsTakenAsShutDownAndRelaunched) {
  const std::string name = UniqueName("Slow");
  auto v = StartVigilo("slow", name, "show=70|");
  ASSERT_TRUE(v);
  v->Click("Start");
  // Launch 1 has counted itself (and so taken its plan) but shows no window yet.
  const std::string counter = v->folder() + "\\nwstandin.count";
  ASSERT_TRUE(blackbox::WaitFor([&] { return std::atoi(blackbox::FileText(counter).c_str()) == 1; },
                                blackbox::Scaled(10 * kSecond)));
  v->Tick();
  EXPECT_EQ(v->Log(), (Lines{"Server killed", "Server shut down...Restarting"}));
  // The relaunch (launch 2) shows its window at once.
  ASSERT_TRUE(NewServerWindow(name, nullptr));
  v->Click("Kill");
}

// The retry after a failed launch, at the timer's own 60 s.
TEST(LaunchFailure, IsLoggedAndTheWatchdogRecoversOnceTheServerIsBack) {
  const std::string name = UniqueName("Missing");
  auto v = StartVigilo("missing", name, "");
  ASSERT_TRUE(v);
  const std::string server = v->folder() + "\\nwserver.exe";
  ASSERT_TRUE(::DeleteFileA(server.c_str()));
  v->Click("Start");
  DWORD since = ::GetTickCount();
  Lines log = v->Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_TRUE(StartsWith(log[0], "Server could not be started: ")) << log[0];
  EXPECT_GT(log[0].size(), std::string("Server could not be started: ").size());

  ASSERT_TRUE(::CopyFileA(STANDIN_EXE, server.c_str(), FALSE));
  ASSERT_TRUE(v->WaitForLook(3, &since, 60 * kSecond));
  ASSERT_TRUE(NewServerWindow(name, nullptr));
  log = v->Log();
  EXPECT_EQ(Lines(log.begin() + 1, log.end()),
            (Lines{"Server killed", "Server shut down...Restarting"}));
  EXPECT_FALSE(v->Exited(0)) << "Vigilo must live on";
  v->Click("Kill");
}

TEST(KillFirst, KillBeforeAnyStartLogsAndTerminatesNothing) {
  const std::string name = UniqueName("Bystander");
  auto v = StartVigilo("killfirst", name, "");
  ASSERT_TRUE(v);
  // A server Vigilo did not launch.
  wintest::Started bystander(wintest::StandIn(name), nullptr, v->folder().c_str());
  ASSERT_TRUE(bystander);
  HWND window = nullptr;
  ASSERT_TRUE(blackbox::WaitFor([&] { return (window = blackbox::StandInWindow(name)) != nullptr; },
                                blackbox::Scaled(10 * kSecond)));
  v->Click("Kill");
  EXPECT_EQ(v->Log(), Lines{"Server killed"});
  EXPECT_EQ(v->LogSelection(), 0);
  // A kill ends its process within moments; the bystander outlives that
  // wait and still answers.
  EXPECT_EQ(::WaitForSingleObject(bystander.process(), blackbox::Scaled(3 * kSecond)),
            static_cast<DWORD>(WAIT_TIMEOUT));
  DWORD_PTR result = 0;
  EXPECT_NE(::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5 * kSecond, &result),
            0);
}

// The system refuses the watchdog's timer, as when the desktop heap is
// exhausted: the log says so with the reason, a tick queued before makes no
// look, and the operator's return to the window tries the timer again.
TEST(Desktop, ARefusedTimerIsSaidAndTriedAgainWhenTheWindowIsActivated) {
  const std::string name = UniqueName("Refused");
  auto v = StartVigilo("refused", name, "");
  ASSERT_TRUE(v);
  blackbox::Probe probe(*v);
  ASSERT_EQ(probe.Ask("VigiloTimerProbe", "timerprobe.txt"), Lines{"refusing|1"});
  v->Click("Start");
  ASSERT_TRUE(NewServerWindow(name, nullptr));
  v->Tick();
  ::SendMessageA(v->main(), WM_ACTIVATE, WA_ACTIVE, 0);  // still refused: said once
  ASSERT_EQ(probe.Ask("VigiloTimerProbe", "timerprobe.txt"), Lines{"refusing|0"});
  ::SendMessageA(v->main(), WM_ACTIVATE, WA_ACTIVE, 0);
  v->Tick();
  v->Click("Kill");
  const Lines log = v->Log();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_TRUE(StartsWith(log[0], "Watchdog could not be started: ")) << log[0];
  EXPECT_EQ(log[0].find("no reason"), std::string::npos) << log[0];
  EXPECT_EQ(log[1], "Watchdog resumed");
  EXPECT_TRUE(StartsWith(log[2], "NWServer - " + name + " #1 up ")) << log[2];
  EXPECT_EQ(log[3], "Server killed");
}

}  // namespace
