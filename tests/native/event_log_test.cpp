#include "window/event_log.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace {

TEST(LogEvent, FirstLineIsAddedAndSelected) {
  fakes::LogList list;
  window::LogEvent(list, "Server killed");
  EXPECT_EQ(list.lines, std::vector<std::string>{"Server killed"});
  EXPECT_EQ(list.selected, 0);
}

TEST(LogEvent, KeepsAtMost1001LinesDroppingTheOldest) {
  fakes::LogList list;
  for (int i = 1; i <= 1001; ++i) window::LogEvent(list, "line " + std::to_string(i));
  ASSERT_EQ(list.Count(), 1001);
  EXPECT_EQ(list.lines.front(), "line 1");
  EXPECT_EQ(list.selected, 1000);

  window::LogEvent(list, "line 1002");
  ASSERT_EQ(list.Count(), 1001);
  EXPECT_EQ(list.lines.front(), "line 2");
  EXPECT_EQ(list.lines.back(), "line 1002");
  EXPECT_EQ(list.selected, 1000);

  for (int i = 1003; i <= 1500; ++i) window::LogEvent(list, "line " + std::to_string(i));
  EXPECT_EQ(list.Count(), 1001);
  EXPECT_EQ(list.lines.front(), "line 500");
}

TEST(LogEvent, TextEndsAtItsFirstNul) {
  struct {
    std::string text;
    std::string shown;
  } cases[] = {
      {std::string("NWServer - A\0    ", 17), "NWServer - A"},
      {std::string("\0abc", 4), ""},
      {"plain", "plain"},
  };
  fakes::LogList list;
  for (const auto& c : cases) window::LogEvent(list, c.text);
  ASSERT_EQ(list.Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(list.lines[i], cases[i].shown) << i;
}

TEST(LogEvent, RepeatedTextIsNotMerged) {
  fakes::LogList list;
  window::LogEvent(list, "Server killed");
  window::LogEvent(list, "Server killed");
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.selected, 1);
}

}  // namespace
