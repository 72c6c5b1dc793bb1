// Weeks of supervision in minutes: the shipped vigilo.exe against real
// stand-in servers, its watchdog ticked straight through its window (the
// WM_TIMER its timer would post) with no wait between ticks. Servers hang,
// exit and now and then cannot be launched, so every few ticks a kill and a
// relaunch happen. The probe counts what Vigilo's process holds once the log
// is full and again at the end: nothing may grow. All the while a helper
// churns 200 top-level windows: a look that loses the server's window among
// them restarts a healthy server, and is counted as a false restart. Above
// them all stays a window of the test's own titled as the server's: every
// healthy look must log the server's title, every hang and exit of the
// server must still restart it.
//
// VIGILO_SOAK_TICKS sets the number of ticks (default 1500; `make soak` runs
// 10000). VIGILO_SOAK_LEAK=handles|gdi|windows|private makes the probe leak
// one object of that kind midway, to show the soak catches it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>

#include "driver.h"

namespace {

using Counts = std::map<std::string, long>;
const char* const kCountKinds[] = {"handles", "gdi", "windows", "private"};
const long kPrivateGrowthLimit = 256 * 1024;

Counts Count(const blackbox::Probe& probe) {
  Counts counts;
  // Probing every handle value takes a while beside the churn.
  for (const std::string& line : probe.Ask("VigiloCountProbe", "countprobe.txt", 120000)) {
    size_t bar = line.find('|');
    if (bar != std::string::npos) counts[line.substr(0, bar)] = std::atol(line.c_str() + bar + 1);
  }
  return counts;
}

// The churn helper, ended with the test (it also ends by itself when we do).
class Churn {
 public:
  Churn()
      : process_(std::string("\"") + CHURN_EXE + "\" " + std::to_string(::GetCurrentProcessId())) {}
  bool WaitUntilBusy() const {
    return process_ &&
           blackbox::WaitFor(
               [&] { return blackbox::TopLevelWindows(process_.pid()).size() >= 200; }, 20000);
  }

 private:
  wintest::Started process_;
};

class Soak {
 public:
  Soak(blackbox::Vigilo& v, const std::string& name) : v_(v), name_(name) {}

  // One tick, after making the server healthy, hung, gone or unlaunchable;
  // checks the lines it logged.
  enum class Fault : std::uint8_t { None, Hang, Exit, LaunchFails };
  void Tick(Fault fault) {
    ++ticks_;
    const std::string server = v_.folder() + "\\nwserver.exe", away = server + ".away";
    std::string title = "NWServer - " + name_ + " tick " + std::to_string(ticks_);
    if (fault == Fault::None) blackbox::SetTextOf(window_, title);
    if (fault == Fault::Exit || fault == Fault::LaunchFails) {
      ASSERT_NO_FATAL_FAILURE(EndServer());
    }
    if (fault == Fault::LaunchFails) {
      ASSERT_TRUE(::MoveFileA(server.c_str(), away.c_str()));
    }
    v_.Tick();
    std::vector<std::string> last = v_.LogTail(fault == Fault::LaunchFails ? 3 : 2);
    const std::vector<std::string> shutDown = {"Server killed", "Server shut down...Restarting"};
    if ((fault == Fault::None || fault == Fault::Hang) && last == shutDown) {
      // The look missed a window that was there: a false restart. Count it and
      // carry on from a healthy look, which the next fault needs before it.
      ++falseRestarts_;
      ++kills_;
      ASSERT_NO_FATAL_FAILURE(WaitForNewServer());
      return Tick(Fault::None);
    }
    switch (fault) {
      case Fault::None:
        ASSERT_EQ(last.back(), title);
        return;
      case Fault::Hang:
        ASSERT_EQ(last, (std::vector<std::string>{"Server killed", "Server crashed...Restarting"}));
        break;
      case Fault::Exit:
        ASSERT_EQ(last, shutDown);
        break;
      case Fault::LaunchFails:
        ASSERT_EQ(last[0], "Server killed");
        ASSERT_EQ(last[1].rfind("Server could not be started: ", 0), 0u) << last[1];
        ASSERT_EQ(last[2], "Server shut down...Restarting");
        ASSERT_TRUE(::MoveFileA(away.c_str(), server.c_str()));
        ++kills_;
        return Tick(Fault::Exit);  // no server: the next tick launches one
    }
    ++kills_;
    WaitForNewServer();
  }

  // Waits for the one window of this soak's servers, of a new process.
  void WaitForNewServer() {
    const DWORD old = window_ ? blackbox::ProcessOf(window_) : 0;
    HWND found = nullptr;
    ASSERT_TRUE(blackbox::WaitFor(
        [&] {
          std::vector<HWND> windows = ServerWindows();
          found =
              windows.size() == 1 && blackbox::ProcessOf(windows[0]) != old ? windows[0] : nullptr;
          return found != nullptr;
        },
        20000, 5))
        << "tick " << ticks_;
    window_ = found;
    ++launches_;
  }

  // A failed run leaves no server behind (it would hold the runner's output open).
  ~Soak() {
    for (HWND w : ServerWindows()) blackbox::EndProcess(blackbox::ProcessOf(w), 0);
  }

  int ticks() const { return ticks_; }
  int kills() const { return kills_; }
  int launches() const { return launches_; }
  int falseRestarts() const { return falseRestarts_; }
  HWND window() const { return window_; }

 private:
  std::vector<HWND> ServerWindows() const { return blackbox::StandInWindows(name_); }

  void EndServer() {
    if (!window_) return;
    ASSERT_TRUE(blackbox::EndServer(window_));
    window_ = nullptr;
  }

  blackbox::Vigilo& v_;
  std::string name_;
  HWND window_ = nullptr;
  int ticks_ = 0, kills_ = 0, launches_ = 0, falseRestarts_ = 0;
};

TEST(Soak, ThousandsOfRestartsLeakNothing) {
  const int totalTicks = blackbox::EnvInt("VIGILO_SOAK_TICKS", 1500);
  const std::string leak = blackbox::EnvText("VIGILO_SOAK_LEAK");
  const std::string name = "Soak " + std::to_string(::GetCurrentProcessId());
  // Titles change only when the soak changes them.
  blackbox::Vigilo v(
      {"soak", "vigilo.exe", blackbox::Server::StandIn, {{"NWSTANDIN_FREEZE_AT", "0"}}});
  ASSERT_TRUE(v.WaitForMainWindow());
  blackbox::SetTextOf(v.Control("SName"), name);
  blackbox::Probe probe(v);
  const Counts start = Count(probe);
  Churn churn;
  ASSERT_TRUE(churn.WaitUntilBusy());
  Soak soak(v, name);
  // Another program's window, titled as the server's and above it all along:
  // never to be taken for the server.
  HWND other = blackbox::OtherProgramWindow("NWServer - " + name + " other");
  v.Click("Start");
  soak.WaitForNewServer();

  // Warm up with one of each fault, then fill the log: what stays allocated
  // for 1001 lines is not a leak.
  using Fault = Soak::Fault;
  for (Fault f : {Fault::None, Fault::Hang, Fault::None, Fault::LaunchFails, Fault::None})
    ASSERT_NO_FATAL_FAILURE(soak.Tick(f));
  while (v.LogCount() < 1001) ASSERT_NO_FATAL_FAILURE(soak.Tick(Fault::None));
  const Counts baseline = Count(probe);

  // Cycles of five ticks: healthy, hung, healthy, healthy, gone; every 50th
  // cycle the relaunch fails first.
  for (int cycle = 0; soak.ticks() < totalTicks; ++cycle) {
    if (!leak.empty() && cycle == 10) {
      for (int k = 0; k < 4; ++k)
        if (std::string(kCountKinds[k]) == leak)
          ::PostMessageA(v.main(), ::RegisterWindowMessageA("VigiloLeakProbe"), k, 0);
    }
    for (Fault f : {Fault::None, Fault::Hang, Fault::None, Fault::None,
                    cycle % 50 == 49 ? Fault::LaunchFails : Fault::Exit})
      ASSERT_NO_FATAL_FAILURE(soak.Tick(f));
  }
  const Counts end = Count(probe);

  std::printf("Soak: %d ticks, %d kills, %d launches, %d false restarts.\n", soak.ticks(),
              soak.kills(), soak.launches(), soak.falseRestarts());
  std::printf("%-8s %12s %12s %12s\n", "", "at start", "log full", "at end");
  for (const char* kind : kCountKinds)
    std::printf("%-8s %12ld %12ld %12ld\n", kind, start.at(kind), baseline.at(kind), end.at(kind));
  EXPECT_LE(end.at("handles"), baseline.at("handles"));
  EXPECT_LE(end.at("gdi"), baseline.at("gdi"));
  EXPECT_LE(end.at("windows"), baseline.at("windows"));
  EXPECT_LE(end.at("private") - baseline.at("private"), kPrivateGrowthLimit);

  EXPECT_EQ(soak.falseRestarts(), 0) << "a healthy server restarted: its window was missed";
  ::DestroyWindow(other);
  EXPECT_EQ(v.LogCount(), 1001);
  EXPECT_EQ(v.LogSelection(), 1000);
  const platform::UniqueHandle last = blackbox::OpenProcessOf(blackbox::ProcessOf(soak.window()));
  v.Click("Kill");
  if (last) {
    EXPECT_EQ(::WaitForSingleObject(last.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  }
  EXPECT_TRUE(blackbox::ServersLaunchedBy(v.pid()).empty()) << "orphaned servers";
}

}  // namespace
