#include "supervision/window_finder.h"

#include <gtest/gtest.h>

#include <algorithm>

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
const uint32_t kServer = fakes::Windows::kServerPid, kChild = 101, kOther = 200,
               kVigilo = fakes::Windows::kVigiloPid;

std::string Find(fakes::Windows& windows) {
  std::string error;
  return supervision::FindServerWindow(windows, kPrefix, {kServer}, &error);
}

struct FinderCase {
  const char* name;
  std::vector<Win> windows;
  std::string prefix;
  std::string expect;  // title of the window found, "shutdown", or "" for an unread list
  std::vector<uint32_t> servers = {kServer};  // those that still run
  std::string listError = "";
  uint32_t terminal = 0;  // the one other program whose title may be read: the owner's
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
      {"another program's window above the server's: the server's is found",
       {{kPrefix + " Test up 5s", 0, false, "NWServer", kOther},
        {kPrefix + ".txt - Notepad", 0, false, "Notepad", kOther},
        {kPrefix + " up 9s"}},
       kPrefix,
       kPrefix + " up 9s"},
      {"a terminal's window owns the server's pop-up: its title, not a look-alike's in front",
       {{kPrefix + " Test up 5s", 0, false, "NWServer", kOther + 1},
        {"", 3},
        {kPrefix + " up 3s", 0, false, "Terminal", kOther}},
       kPrefix,
       kPrefix + " up 3s",
       {kServer},
       "",
       kOther},
      {"another program's matching window alone, while the server runs",
       {{"", 5}, {kPrefix + " up 3s", 0, false, "Terminal", kOther}},
       kPrefix,
       "shutdown"},
      {"a third program's owned window whose owner is a look-alike",
       {{kPrefix + " Test up 5s", 0, false, "NWServer", kOther}, {"", 1, false, "IME", kOther + 1}},
       kPrefix,
       "shutdown"},
      {"an owner of the server's own is not taken for a terminal",
       {{kPrefix + " tool", 2}, {""}, {"", 1}},
       kPrefix,
       "shutdown"},
      {"Vigilo's own windows are never taken, nor read, even as an owner",
       {{kPrefix + " ours", 0, false, "Edit", kVigilo}, {"", 1}},
       kPrefix,
       "shutdown"},
      {"the server has ended: another program's window does not keep it up",
       {{kPrefix + " up 9s", 0, false, "NWServer", kOther}},
       kPrefix,
       "shutdown",
       {}},
      {"a process the launch started is the server, before another program",
       {{kPrefix + " other", 0, false, "NWServer", kOther},
        {kPrefix + " child", 0, false, "NWServer", kChild}},
       kPrefix,
       kPrefix + " child",
       {kServer, kChild}},
      {"the window list cannot be read",
       {{kPrefix + " up 9s"}},
       kPrefix,
       "",
       {kServer},
       "Not enough memory."},
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
    windows.listError = c.listError;
    std::string error;
    std::string status = supervision::FindServerWindow(windows, c.prefix, c.servers, &error);
    std::string expect = c.expect == "shutdown" || c.expect.empty() ? c.expect : Buffer(c.expect);
    EXPECT_EQ(status, expect) << c.name;
    EXPECT_EQ(error, c.listError) << c.name;
    for (platform::WindowHandle w : windows.titlesRead) {
      const uint32_t pid = c.windows[w - 1].pid;
      EXPECT_NE(pid, kVigilo) << c.name << ": read Vigilo's own title";
      EXPECT_TRUE(pid == c.terminal ||
                  std::find(c.servers.begin(), c.servers.end(), pid) != c.servers.end())
          << c.name << ": read another program's title";
    }
  }
}

TEST(FindServerWindow, StatusIsTheWholeBufferWithNulAndFreshFiller) {
  fakes::Windows windows;
  // A long title read first must not leave its bytes in the buffer of the next.
  windows.windows = {{"Some very long title of another window"}, {kPrefix}};
  std::string status = Find(windows);
  ASSERT_EQ(status.size(), 256u);
  EXPECT_EQ(status, Buffer(kPrefix));
  EXPECT_EQ(supervision::VisibleText(status), kPrefix);
  EXPECT_EQ(windows.titlesRead.size(), 2u);
}

TEST(FindServerWindow, SameTitleGivesEqualStatusAndOneCharacterDiffers) {
  fakes::Windows windows;
  windows.windows = {{kPrefix + " up 30s"}};
  std::string a = Find(windows);
  std::string b = Find(windows);
  windows.windows[0].title = kPrefix + " up 31s";
  std::string c = Find(windows);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
}

}  // namespace
