#include "supervision/window_finder.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace {

using Win = fakes::Windows::Window;

std::string Buffer(const std::string& title) {
  std::string b(256, ' ');
  b.replace(0, title.size(), title);
  b[title.size()] = '\0';
  return b;
}

const std::string kPrefix = "NWServer - My Server";

struct FinderCase {
  const char* name;
  std::vector<Win> windows;
  std::string prefix;
  std::string expect;  // title of the window found, or "shutdown"
};

TEST(FindServerWindow, MatchingRules) {
  const std::string longTitle = kPrefix + std::string(300, 'x');
  const FinderCase cases[] = {
      {"no windows", {}, kPrefix, "shutdown"},
      {"title equal to the prefix", {{kPrefix}}, kPrefix, kPrefix},
      {"title shorter than the prefix", {{"NWServer - My Serv"}}, kPrefix, "shutdown"},
      {"prefix not at position 1", {{" NWServer - My Server 1"}}, kPrefix, "shutdown"},
      {"prefix later in title", {{"Log: NWServer - My Server"}}, kPrefix, "shutdown"},
      {"one letter's case", {{"NWServer - my Server 1"}}, kPrefix, "shutdown"},
      {"owned pop-up skipped",
       {{kPrefix + " popup", 7}, {kPrefix + " main"}},
       kPrefix,
       kPrefix + " main"},
      {"a window closed during the walk is skipped, the walk goes on",
       {{kPrefix + " closed", 0, true}, {"x", 0, true}, {kPrefix + " stays"}},
       kPrefix,
       kPrefix + " stays"},
      {"a ghost in place of a hung window is skipped, the hung window found",
       {{kPrefix + " up 9s (Not Responding)", 0, false, "Ghost"}, {kPrefix + " up 9s"}},
       kPrefix,
       kPrefix + " up 9s"},
      {"a window of Vigilo's own process is never read",
       {{kPrefix + " ours", 0, false, "Edit", true}, {kPrefix + " server"}},
       kPrefix,
       kPrefix + " server"},
      {"empty title skipped, even for an empty prefix", {{""}, {"Other"}}, "", "Other"},
      {"first in Z order wins",
       {{"x"}, {kPrefix + " A"}, {kPrefix + " B"}},
       kPrefix,
       kPrefix + " A"},
      {"a name that begins another server's name matches it",
       {{"NWServer - My Server 2 up"}},
       kPrefix,
       "NWServer - My Server 2 up"},
      {"title over 255 characters is cut", {{longTitle}}, kPrefix, longTitle.substr(0, 255)},
      {"prefix of 255 characters can match",
       {{std::string(255, 'p')}},
       std::string(255, 'p'),
       std::string(255, 'p')},
      {"prefix over 255 characters never matches",
       {{std::string(300, 'p')}},
       std::string(256, 'p'),
       "shutdown"},
  };
  for (const FinderCase& c : cases) {
    fakes::Windows windows;
    windows.windows = c.windows;
    std::string status = supervision::FindServerWindow(windows, c.prefix);
    std::string expect = c.expect == "shutdown" ? c.expect : Buffer(c.expect);
    EXPECT_EQ(status, expect) << c.name;
  }
}

TEST(FindServerWindow, StatusIsTheWholeBufferWithNulAndFreshFiller) {
  fakes::Windows windows;
  // A long title read first must not leave its bytes in the buffer of the next.
  windows.windows = {{"Some very long title of another program"}, {kPrefix}};
  std::string status = supervision::FindServerWindow(windows, kPrefix);
  ASSERT_EQ(status.size(), 256u);
  EXPECT_EQ(status, Buffer(kPrefix));
  EXPECT_EQ(supervision::VisibleText(status), kPrefix);
  EXPECT_EQ(windows.titleReads, 2);
}

TEST(FindServerWindow, SameTitleGivesEqualStatusAndOneCharacterDiffers) {
  fakes::Windows windows;
  windows.windows = {{kPrefix + " up 30s"}};
  std::string a = supervision::FindServerWindow(windows, kPrefix);
  std::string b = supervision::FindServerWindow(windows, kPrefix);
  windows.windows[0].title = kPrefix + " up 31s";
  std::string c = supervision::FindServerWindow(windows, kPrefix);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
}

}  // namespace
