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
  HWND Make(const std::string& title, HWND owner = nullptr, bool visible = true) {
    HWND w = ::CreateWindowExA(0, "STATIC", title.c_str(), WS_POPUP | WS_CAPTION, 10, 10, 200, 60,
                               owner, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (visible) ::ShowWindow(w, SW_SHOWNOACTIVATE);
    ::SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    made_.push_back(w);
    return w;
  }
  std::string Find(const std::string& prefix) {
    return supervision::VisibleText(supervision::FindServerWindow(*windows_, prefix));
  }
  const std::string prefix_ = "NWServer - Finder" + std::to_string(::GetCurrentProcessId());
  std::unique_ptr<platform::WindowList> windows_ = platform::CreateDesktopWindowList();
  std::vector<HWND> made_;
};

TEST_F(RealWindows, NothingMatchingGivesShutdown) {
  EXPECT_EQ(supervision::FindServerWindow(*windows_, prefix_), "shutdown");
}

TEST_F(RealWindows, FirstInZOrderWins) {
  Make(prefix_ + " lower");
  Make(prefix_ + " upper");
  EXPECT_EQ(Find(prefix_), prefix_ + " upper");
}

TEST_F(RealWindows, OwnedPopupsAndOtherTitlesAreSkipped) {
  HWND main = Make(prefix_ + " main");
  Make(prefix_ + " owned popup", main);
  Make("x" + prefix_ + " not at the start");
  Make(std::string(prefix_).replace(0, 1, "n") + " wrong case");
  EXPECT_EQ(Find(prefix_), prefix_ + " main");
}

TEST_F(RealWindows, HiddenWindowsCountAndTitlesAreCutAt255) {
  std::string longTitle = prefix_ + std::string(300, 'z');
  Make(longTitle, nullptr, false);
  std::string status = supervision::FindServerWindow(*windows_, prefix_);
  ASSERT_EQ(status.size(), 256u);
  EXPECT_EQ(status.substr(0, 255), longTitle.substr(0, 255));
  EXPECT_EQ(status[255], '\0');
}

TEST_F(RealWindows, StatusChangesWithTheTitle) {
  HWND w = Make(prefix_ + " up 1s");
  std::string a = supervision::FindServerWindow(*windows_, prefix_);
  EXPECT_EQ(a, supervision::FindServerWindow(*windows_, prefix_));
  ::SetWindowTextA(w, (prefix_ + " up 2s").c_str());
  EXPECT_NE(a, supervision::FindServerWindow(*windows_, prefix_));
  // Title, NUL, then blank filler to 256 characters.
  EXPECT_EQ(a,
            prefix_ + " up 1s" + std::string(1, '\0') + std::string(256 - prefix_.size() - 7, ' '));
}

}  // namespace
