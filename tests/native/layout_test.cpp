#include "window/layout.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "settings/settings.h"

namespace {

TEST(Layout, PixelColumnAt96Dpi) {
  struct {
    const char* name;
    window::PixelRect px;
  } cases[] = {
      {"SName", {56, 8, 113, 19}},    {"PVP", {48, 40, 57, 21}},      {"PPass", {72, 120, 89, 19}},
      {"APass", {352, 120, 89, 19}},  {"Label10", {16, 120, 57, 17}}, {"List1", {8, 160, 457, 148}},
      {"cmd", {8, 320, 569, 65}},     {"Frame1", {8, 104, 457, 41}},  {"Save", {488, 216, 81, 25}},
      {"SVault", {488, 168, 73, 25}},
  };
  for (const auto& c : cases) {
    const window::ControlSpec* spec = window::FindControl(c.name);
    ASSERT_NE(spec, nullptr) << c.name;
    window::PixelRect r = window::ClientRect(*spec, 96);
    EXPECT_EQ(r.left, c.px.left) << c.name;
    EXPECT_EQ(r.top, c.px.top) << c.name;
    EXPECT_EQ(r.width, c.px.width) << c.name;
    EXPECT_EQ(r.height, c.px.height) << c.name;
  }
  EXPECT_EQ(window::TwipsToPixels(window::kClientWidthTwips, 96), 582);
  EXPECT_EQ(window::TwipsToPixels(window::kClientHeightTwips, 96), 389);
}

TEST(Layout, EveryTwipValueIsWholePixelsAt96Dpi) {
  for (const window::ControlSpec& c : window::kControls)
    for (int v : {c.left, c.top, c.width, c.height}) EXPECT_EQ(v % 15, 0) << c.name;
}

TEST(Layout, ScalesByTheSameFactorAtOtherDpis) {
  for (int dpi : {120, 144, 192}) {
    for (const window::ControlSpec& c : window::kControls) {
      window::PixelRect base = window::ClientRect(c, 96);
      window::PixelRect r = window::ClientRect(c, dpi);
      // Within one pixel of the exact scaled rectangle.
      EXPECT_NEAR(r.left, base.left * dpi / 96.0, 1.0) << c.name << " @" << dpi;
      EXPECT_NEAR(r.top, base.top * dpi / 96.0, 1.0) << c.name << " @" << dpi;
      EXPECT_NEAR(r.width, base.width * dpi / 96.0, 1.0) << c.name << " @" << dpi;
      EXPECT_NEAR(r.height, base.height * dpi / 96.0, 1.0) << c.name << " @" << dpi;
    }
  }
}

TEST(Layout, EachBoxIsNamedByTheLabelToItsLeftAndTheLogByItsOwnName) {
  const std::pair<const char*, const char*> cases[] = {
      {"SName", "Server"},        {"MName", "Module"},
      {"Port", "Port"},           {"PVP", "PVP"},
      {"GType", "Game Type"},     {"Diff", "Difficulty"},
      {"Players", "Max Players"}, {"MinLvl", "Min Level"},
      {"MaxLvl", "Max Level"},    {"AutoSave", "AutoSave"},
      {"PPass", "Player"},        {"DPass", "DM"},
      {"APass", "Admin"},         {"Pub", nullptr},
      {"Start", nullptr},         {"Label", nullptr},
      {"List1", "Event log"},     {"cmd", nullptr},
  };
  for (const auto& c : cases)
    EXPECT_STREQ(window::AccessibleName(*window::FindControl(c.first)), c.second) << c.first;
}

// Only a control clear of every other at each DPI may be told apart as such:
// a caption that is stands right above its box, where it names it.
TEST(Layout, ControlsClearOfTheOthersStayClearInPixels) {
  const auto cross = [](const window::PixelRect& a, const window::PixelRect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
  };
  for (const window::ControlSpec& c : window::kControls) {
    if (!window::OverlapsNoControl(c)) continue;
    for (int dpi : {96, 120, 144, 168, 192, 288})
      for (const window::ControlSpec& other : window::kControls)
        if (&other != &c && other.kind != window::ControlKind::Frame) {
          EXPECT_FALSE(cross(window::ClientRect(c, dpi), window::ClientRect(other, dpi)))
              << c.name << " and " << other.name << " @" << dpi;
        }
  }
  EXPECT_FALSE(window::OverlapsNoControl(*window::FindControl("Label")));   // "Server" under SName
  EXPECT_TRUE(window::OverlapsNoControl(*window::FindControl("Label13")));  // "Module"
}

TEST(Layout, SettingControlsComeFirstInFieldOrderWithTheirIds) {
  for (int f = 0; f < settings::kFieldCount; ++f) {
    EXPECT_STREQ(window::kControls[f].name, settings::Info(f).name);
    EXPECT_EQ(window::kControls[f].id, window::kFirstFieldId + f);
  }
  std::set<int> ids;
  for (const window::ControlSpec& c : window::kControls)
    EXPECT_TRUE(ids.insert(c.id).second) << c.name;
}

}  // namespace
