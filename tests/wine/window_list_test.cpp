// The finder over real top-level windows of this process.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/window_list.h"
#include "supervision/window_finder.h"

namespace {

class RealWindows : public ::testing::Test {
 protected:
  void TearDown() override {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) ::DestroyWindow(*it);
  }
  // Each new window goes on top of the Z order.
  HWND Make(const std::string& title, HWND owner = nullptr, bool visible = true,
            const char* cls = "STATIC") {
    HWND w = ::CreateWindowExA(0, cls, title.c_str(), WS_POPUP | WS_CAPTION, 10, 10, 200, 60, owner,
                               nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (visible) ::ShowWindow(w, SW_SHOWNOACTIVATE);
    ::SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    made_.push_back(w);
    return w;
  }
  // The status, with this process taken for the server.
  std::string Status() {
    std::string error;
    return supervision::FindServerWindow(*windows_, prefix_, {::GetCurrentProcessId()}, &error);
  }
  std::string Find() { return supervision::VisibleText(Status()); }
  const std::string prefix_ = "NWServer - Finder" + std::to_string(::GetCurrentProcessId());
  std::unique_ptr<platform::WindowList> windows_ = platform::CreateDesktopWindowList();
  std::vector<HWND> made_;
};

TEST_F(RealWindows, FirstInZOrderWins) {
  Make(prefix_ + " lower");
  Make(prefix_ + " upper");
  EXPECT_EQ(Find(), prefix_ + " upper");
}

// Above the server's window, and alone: then nothing matches.
TEST_F(RealWindows, OwnedPopupsAndOtherTitlesAreSkipped) {
  HWND main = Make("not yet titled");
  Make(prefix_ + " owned popup", main);
  Make("x" + prefix_ + " not at the start");
  Make(std::string(prefix_).replace(0, 1, "n") + " wrong case");
  EXPECT_EQ(Status(), "shutdown");
  ::SetWindowTextA(main, (prefix_ + " main").c_str());
  EXPECT_EQ(Find(), prefix_ + " main");
}

// Windows' stand-in for a hung window, titled as it plus " (Not Responding)".
TEST_F(RealWindows, AGhostWindowIsPassedOverForTheHungWindowBehindIt) {
  WNDCLASSA ghost = {};
  ghost.lpfnWndProc = ::DefWindowProcA;
  ghost.hInstance = ::GetModuleHandleA(nullptr);
  ghost.lpszClassName = "Ghost";
  ::RegisterClassA(&ghost);
  Make(prefix_ + " up 9s");
  Make(prefix_ + " up 9s (Not Responding)", nullptr, true, "Ghost");
  EXPECT_EQ(Find(), prefix_ + " up 9s");
}

// A window of this process on a thread that pumps no messages: reading its
// title would wait for that thread for ever.
struct Stuck {
  std::string title, prefix, status;
  HANDLE made = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

DWORD WINAPI HoldAWindow(void* p) {
  auto* s = static_cast<Stuck*>(p);
  HWND w = ::CreateWindowExA(0, "STATIC", s->title.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr,
                             nullptr, nullptr, nullptr);
  ::SetEvent(s->made);
  ::WaitForSingleObject(s->release, INFINITE);
  ::DestroyWindow(w);
  return 0;
}

DWORD WINAPI Walk(void* p) {
  auto* s = static_cast<Stuck*>(p);
  // The server is another process, running without a matching window: every
  // other program's window is looked at, but never ours.
  std::string error;
  s->status = supervision::FindServerWindow(*platform::CreateDesktopWindowList(), s->prefix,
                                            {::GetCurrentProcessId() + 4}, &error);
  return 0;
}

TEST(OwnWindows, AreNeverReadSoTheWalkReturns) {
  Stuck stuck;
  stuck.prefix = "NWServer - Own" + std::to_string(::GetCurrentProcessId());
  stuck.title = stuck.prefix + " stuck";
  HANDLE holder = ::CreateThread(nullptr, 0, HoldAWindow, &stuck, 0, nullptr);
  ASSERT_EQ(::WaitForSingleObject(stuck.made, 10000), WAIT_OBJECT_0);
  HANDLE walker = ::CreateThread(nullptr, 0, Walk, &stuck, 0, nullptr);
  EXPECT_EQ(::WaitForSingleObject(walker, 10000), WAIT_OBJECT_0) << "the walk waits on the window";
  ::SetEvent(stuck.release);
  ::WaitForSingleObject(walker, INFINITE);
  ::WaitForSingleObject(holder, INFINITE);
  EXPECT_EQ(stuck.status, "shutdown");
  for (HANDLE h : {walker, holder, stuck.made, stuck.release}) ::CloseHandle(h);
}

TEST_F(RealWindows, HiddenWindowsCountAndTitlesAreCutAt255) {
  std::string longTitle = prefix_ + std::string(300, 'z');
  Make(longTitle, nullptr, false);
  std::string status = Status();
  ASSERT_EQ(status.size(), 256u);
  EXPECT_EQ(status.substr(0, 255), longTitle.substr(0, 255));
  EXPECT_EQ(status[255], '\0');
}

TEST_F(RealWindows, StatusChangesWithTheTitle) {
  HWND w = Make(prefix_ + " up 1s");
  std::string a = Status();
  EXPECT_EQ(a, Status());
  ::SetWindowTextA(w, (prefix_ + " up 2s").c_str());
  EXPECT_NE(a, Status());
  // Title, NUL, then blank filler to 256 characters.
  EXPECT_EQ(a,
            prefix_ + " up 1s" + std::string(1, '\0') + std::string(256 - prefix_.size() - 7, ' '));
}

}  // namespace
