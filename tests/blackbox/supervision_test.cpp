// The watchdog end to end, with the real 60 s and 30 s intervals. Each suite is
// its own ctest test, so the scenarios run side by side.
#include <gtest/gtest.h>

#include "driver.h"

namespace {

using blackbox::Server;
using Lines = std::vector<std::string>;

const DWORD kSecond = 1000;

std::string UniqueName(const char* base) {
  return std::string(base) + " " + std::to_string(::GetCurrentProcessId());
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

// The stand-in's process for a server name.
HANDLE ServerProcess(const std::string& name) {
  HWND w = blackbox::StandInWindow(name);
  if (!w) return nullptr;
  DWORD pid = 0;
  ::GetWindowThreadProcessId(w, &pid);
  return ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
}

DWORD ExitCodeAfter(HANDLE process, DWORD timeoutMs) {
  DWORD code = STILL_ACTIVE;
  if (::WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0)
    ::GetExitCodeProcess(process, &code);
  return code;
}

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

// Start; healthy, healthy; frozen title (crashed); healthy; window gone
// (shut down); healthy; Kill. Launch 1 freezes its title at 75 s, launch 2
// exits by itself at 70 s.
TEST(WorkedSequence, GivesItsNineLogLines) {
  const std::string name = UniqueName("Worked");
  auto v = StartVigilo("worked", name, "freeze=75|exit=70|");
  ASSERT_TRUE(v);
  blackbox::Probe probe(*v);
  ASSERT_EQ(probe.Ask("VigiloCallProbe", "callprobe.txt"), PrivilegeCalls(0, 0, 0));
  v->Click("Start");
  ASSERT_TRUE(
      blackbox::WaitFor([&] { return blackbox::StandInWindow(name) != nullptr; }, 10 * kSecond));
  EXPECT_TRUE(v->Log().empty());

  ASSERT_TRUE(WaitForLines(*v, 8, 300 * kSecond)) << v->Log().size() << " lines";
  HANDLE last = ServerProcess(name);
  ASSERT_NE(last, nullptr);
  v->Click("Kill");
  EXPECT_EQ(ExitCodeAfter(last, 10 * kSecond), 1u) << "killed with exit code 1";
  ::CloseHandle(last);
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

// Windows does what Wine does not; each is played here as Windows does it.
// The session ends (the query, then the server closes) and is cancelled; the
// machine sleeps with the server (both frozen past a look's due time); it
// wakes with a notice; the server hangs and Windows puts its ghost window
// over it. Only the hang that outlasts all that is restarted.
TEST(Desktop, SleepGhostAndSessionEndRestartOnlyAHungServer) {
  const std::string name = UniqueName("Desktop");
  auto v = StartVigilo("desktop", name, "");
  ASSERT_TRUE(v);
  auto joined = [&] {
    std::string all;
    for (const std::string& line : v->Log()) all += "\n  " + line;
    return all;
  };
  v->Click("Start");
  ASSERT_TRUE(
      blackbox::WaitFor([&] { return blackbox::StandInWindow(name) != nullptr; }, 10 * kSecond));
  DWORD_PTR answer = 0;
  ASSERT_TRUE(::SendMessageTimeoutA(v->main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                    SMTO_NORMAL, 5 * kSecond, &answer));
  EXPECT_TRUE(answer) << "the session may end";
  DWORD first = 0;
  ::GetWindowThreadProcessId(blackbox::StandInWindow(name), &first);
  HANDLE ending = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, first);
  ASSERT_NE(ending, nullptr);
  ::TerminateProcess(ending, 0);  // the server goes with the session
  EXPECT_EQ(::WaitForSingleObject(ending, 10 * kSecond), WAIT_OBJECT_0);
  ::CloseHandle(ending);
  ::Sleep(65 * kSecond);  // past the first look's due time
  EXPECT_TRUE(v->Log().empty()) << "relaunched into the ending session:" << joined();

  // Cancelled: the watchdog is back, and finds the server gone.
  ::SendMessageTimeoutA(v->main(), WM_ENDSESSION, FALSE, 0, SMTO_NORMAL, 5 * kSecond, &answer);
  ASSERT_TRUE(WaitForLines(*v, 2, 75 * kSecond)) << joined();
  const DWORD relaunched = ::GetTickCount();
  HWND server = nullptr;
  ASSERT_TRUE(blackbox::WaitFor([&] { return (server = blackbox::StandInWindow(name)) != nullptr; },
                                10 * kSecond));
  DWORD serverPid = 0;
  ::GetWindowThreadProcessId(server, &serverPid);
  struct Thaw {  // whatever fails, nothing stays frozen and no server is left
    DWORD server, vigilo;
    ~Thaw() {
      blackbox::Freeze(vigilo, false);
      blackbox::Freeze(server, false);
      if (HANDLE p = ::OpenProcess(PROCESS_TERMINATE, FALSE, server)) {
        ::TerminateProcess(p, 1);
        ::CloseHandle(p);
      }
    }
  } thaw{serverPid, v->pid()};

  // Asleep from just before the look to long after the next was due.
  ::Sleep(55 * kSecond - (::GetTickCount() - relaunched));
  blackbox::Freeze(serverPid, true);
  ASSERT_TRUE(WaitForLines(*v, 3, 10 * kSecond)) << joined();
  blackbox::Freeze(v->pid(), true);
  ::Sleep(55 * kSecond);
  blackbox::Freeze(v->pid(), false);
  ASSERT_TRUE(WaitForLines(*v, 4, 10 * kSecond)) << joined();
  blackbox::Freeze(serverPid, false);

  // Hung just before the next look, its ghost on top; the wake-up notice
  // comes after that look.
  ::Sleep(25 * kSecond);
  blackbox::Freeze(serverPid, true);
  char title[256] = {};
  ::GetWindowTextA(server, title, sizeof title);
  WNDCLASSA ghostClass = {};
  ghostClass.lpfnWndProc = ::DefWindowProcA;
  ghostClass.lpszClassName = "Ghost";
  ::RegisterClassA(&ghostClass);
  HWND ghost =
      ::CreateWindowExA(0, "Ghost", (std::string(title) + " (Not Responding)").c_str(),
                        WS_OVERLAPPEDWINDOW, 0, 0, 300, 100, nullptr, nullptr, nullptr, nullptr);
  ::ShowWindow(ghost, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(WaitForLines(*v, 5, 10 * kSecond)) << joined();
  ::SendMessageTimeoutA(v->main(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0, SMTO_NORMAL,
                        5 * kSecond, &answer);
  ASSERT_TRUE(WaitForLines(*v, 8, 75 * kSecond)) << joined();
  ::DestroyWindow(ghost);
  v->Click("Kill");

  Lines log = v->Log();
  ASSERT_EQ(log.size(), 9u) << joined();
  EXPECT_EQ(Lines(log.begin(), log.begin() + 2),
            (Lines{"Server killed", "Server shut down...Restarting"}));
  EXPECT_TRUE(StartsWith(log[2], "NWServer - " + name + " #2 up ")) << log[2];
  EXPECT_EQ(log[3], log[2]) << "the look after the sleep judged the frozen title";
  EXPECT_EQ(log[4], title) << "the ghost's title, or a restart";
  EXPECT_EQ(log[5], title) << "the look after the wake-up judged";
  EXPECT_EQ(Lines(log.begin() + 6, log.end()),
            (Lines{"Server killed", "Server crashed...Restarting", "Server killed"}));
}

TEST(SlowStart, IsTakenAsShutDownAndRelaunched) {
  const std::string name = UniqueName("Slow");
  auto v = StartVigilo("slow", name, "show=70|");
  ASSERT_TRUE(v);
  v->Click("Start");
  ASSERT_TRUE(WaitForLines(*v, 2, 75 * kSecond));
  EXPECT_EQ(v->Log(), (Lines{"Server killed", "Server shut down...Restarting"}));
  // The relaunch (launch 2) shows its window at once.
  ASSERT_TRUE(
      blackbox::WaitFor([&] { return blackbox::StandInWindow(name) != nullptr; }, 10 * kSecond));
  v->Click("Kill");
}

TEST(LaunchFailure, IsLoggedAndTheWatchdogRecoversOnceTheServerIsBack) {
  const std::string name = UniqueName("Missing");
  auto v = StartVigilo("missing", name, "exit=3|");
  ASSERT_TRUE(v);
  v->Click("Start");
  // Launch 1 ends by itself; then the server program disappears.
  const std::string server = v->folder() + "\\nwserver.exe";
  ASSERT_TRUE(
      blackbox::WaitFor([&] { return ::DeleteFileA(server.c_str()) != FALSE; }, 30 * kSecond, 500));

  ASSERT_TRUE(WaitForLines(*v, 3, 75 * kSecond));
  Lines log = v->Log();
  EXPECT_EQ(log[0], "Server killed");
  EXPECT_TRUE(StartsWith(log[1], "Server could not be started: ")) << log[1];
  EXPECT_GT(log[1].size(), std::string("Server could not be started: ").size());
  EXPECT_EQ(log[2], "Server shut down...Restarting");
  EXPECT_FALSE(v->Exited(0)) << "Vigilo must live on";

  ASSERT_TRUE(::CopyFileA(STANDIN_EXE, server.c_str(), FALSE));
  ASSERT_TRUE(WaitForLines(*v, 5, 75 * kSecond));
  ASSERT_TRUE(
      blackbox::WaitFor([&] { return blackbox::StandInWindow(name) != nullptr; }, 10 * kSecond));
  log = v->Log();
  EXPECT_EQ(log[3], "Server killed");
  EXPECT_EQ(log[4], "Server shut down...Restarting");
  EXPECT_EQ(log.size(), 5u);
  v->Click("Kill");
}

TEST(KillFirst, KillBeforeAnyStartLogsAndTerminatesNothing) {
  const std::string name = UniqueName("Bystander");
  auto v = StartVigilo("killfirst", name, "");
  ASSERT_TRUE(v);
  // A server Vigilo did not launch.
  std::string line = std::string("\"") + STANDIN_EXE + "\" -servername \"" + name + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                               v->folder().c_str(), &si, &pi));
  ::CloseHandle(pi.hThread);
  v->Click("Kill");
  EXPECT_EQ(v->Log(), Lines{"Server killed"});
  EXPECT_EQ(v->LogSelection(), 0);
  EXPECT_EQ(::WaitForSingleObject(pi.hProcess, 3 * kSecond), static_cast<DWORD>(WAIT_TIMEOUT));
  ::TerminateProcess(pi.hProcess, 0);
  ::CloseHandle(pi.hProcess);
}

}  // namespace
