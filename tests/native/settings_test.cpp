#include "settings/settings.h"

#include <gtest/gtest.h>

#include <numeric>

#include "fakes.h"
#include "platform/app_name.h"
#include "server/command_line.h"

using settings::Field;

namespace {

const char kApp[] = "vigilo";

std::string Key(const char* key) { return fakes::Store::Path(kApp, "s1", key); }

struct Loaded {
  fakes::View view;
  std::vector<std::string> log;
};

Loaded Load(fakes::Store& store) {
  Loaded out;
  settings::LoadSettings(store, kApp, out.view,
                         [&](const std::string& line) { out.log.push_back(line); });
  return out;
}

TEST(ParseInt16, AcceptsPlainDecimalsAndRejectsTheRest) {
  struct {
    const char* text;
    bool ok;
    int value;
  } cases[] = {
      {"0", true, 0},
      {"-1", true, -1},
      {"12", true, 12},
      {"32767", true, 32767},
      {"-32768", true, -32768},
      {" 2 ", true, 2},
      {"+3", true, 3},
      {"007", true, 7},
      {"32768", false, 0},
      {"-32769", false, 0},
      {"99999999999999999999", false, 0},
      {"", false, 0},
      {"-", false, 0},
      {"abc", false, 0},
      {"1.5", false, 0},
      {"1e2", false, 0},
      {"2x", false, 0},
      {"0x10", false, 0},
      {"- 1", false, 0},
  };
  for (const auto& c : cases) {
    std::optional<int16_t> v = settings::ParseInt16(c.text);
    EXPECT_EQ(v, c.ok ? std::optional<int16_t>(c.value) : std::nullopt) << '"' << c.text << '"';
  }
}

TEST(LoadSettings, NothingStoredGivesEveryDefaultAndTheDefaultLine) {
  fakes::Store store;
  Loaded l = Load(store);
  ASSERT_EQ(std::size(expected::kDefaults), static_cast<size_t>(settings::kFieldCount));
  for (int f = 0; f < settings::kFieldCount; ++f) {
    const expected::FieldDefault& d = expected::kDefaults[f];
    EXPECT_STREQ(settings::Info(f).name, d.name);
    EXPECT_EQ(l.view.texts[f], d.text ? d.shown : "") << d.name;
    EXPECT_EQ(l.view.numbers[f], d.number) << d.name;
  }
  EXPECT_EQ(server::BuildCommandLine(l.view), expected::kDefaultLine);
  EXPECT_TRUE(l.log.empty());
}

TEST(LoadSettings, AssignsEveryControlOnceInFieldOrder) {
  fakes::Store store;
  Loaded l = Load(store);
  std::vector<int> expected(settings::kFieldCount);
  std::iota(expected.begin(), expected.end(), 0);
  EXPECT_EQ(l.view.assignments, expected);
}

TEST(LoadSettings, EachMissingKeyAloneTakesItsDefault) {
  fakes::Store store;
  store.values[Key("MName")] = "Other Module";
  store.values[Key("GType")] = "9";
  store.values[Key("PPass")] = "";
  store.values[Key("ELC")] = "0";
  store.values[Key("Port")] = "not a port";
  Loaded l = Load(store);
  EXPECT_EQ(l.view.texts[Field::SName], "My Server");
  EXPECT_EQ(l.view.texts[Field::MName], "Other Module");
  EXPECT_EQ(l.view.texts[Field::Port], "not a port");
  EXPECT_EQ(l.view.numbers[Field::GType], 9);
  EXPECT_EQ(l.view.numbers[Field::ELC], 0);
  EXPECT_EQ(l.view.numbers[Field::Pub], 1);
  EXPECT_EQ(l.view.texts[Field::DPass], "GM417");
}

TEST(LoadSettings, EdgeValuesLoadAndReachTheLine) {
  fakes::Store store;
  store.values[Key("PVP")] = "-1";
  store.values[Key("Diff")] = "3";
  store.values[Key("Pub")] = "2";
  Loaded l = Load(store);
  EXPECT_TRUE(l.log.empty());
  std::string line = server::BuildCommandLine(l.view);
  EXPECT_NE(line.find(" -pvp-1 -gametype 0 -difficulty 4 "), std::string::npos) << line;
  EXPECT_NE(line.find(" -publicserver 2 "), std::string::npos) << line;
}

TEST(LoadSettings, MalformedNumbersTakeTheDefaultAndAreLogged) {
  struct {
    const char* key;
    const char* stored;
    int field;
    int16_t fallback;
  } cases[] = {
      {"PVP", "abc", Field::PVP, 2},     {"PVP", "3", Field::PVP, 2},
      {"GType", "-2", Field::GType, 0},  {"GType", "13", Field::GType, 0},
      {"Diff", "70000", Field::Diff, 1}, {"Diff", "", Field::Diff, 1},
      {"Pub", "3", Field::Pub, 1},       {"SVault", "-1", Field::SVault, 0},
      {"ILR", "1.0", Field::ILR, 0},
  };
  for (const auto& c : cases) {
    fakes::Store store;
    store.values[Key(c.key)] = c.stored;
    Loaded l = Load(store);
    EXPECT_EQ(l.view.numbers[c.field], c.fallback) << c.key << "=" << c.stored;
    ASSERT_EQ(l.log.size(), 1u) << c.key << "=" << c.stored;
    EXPECT_EQ(l.log[0], std::string("Stored setting ") + c.key + " (\"" + c.stored +
                            "\") is invalid; using the default.");
    // Loading went on past the bad field.
    EXPECT_EQ(l.view.assignments.size(), static_cast<size_t>(settings::kFieldCount)) << c.key;
  }
}

TEST(LoadSettings, AValueOfAnotherStoreTypeTakesTheDefaultAndIsLogged) {
  fakes::Store store;
  store.values[Key("SName")] = "shadowed";
  store.foreignValues = {{"SName", "REG_DWORD 7"}, {"PVP", "REG_BINARY, 3 bytes"}};
  Loaded l = Load(store);
  EXPECT_EQ(l.view.texts[Field::SName], "My Server");
  EXPECT_EQ(l.view.numbers[Field::PVP], 2);
  EXPECT_EQ(l.log,
            (std::vector<std::string>{
                "Stored setting SName (\"REG_DWORD 7\") is invalid; using the default.",
                "Stored setting PVP (\"REG_BINARY, 3 bytes\") is invalid; using the default."}));
}

TEST(SaveSettings, WritesAllNineteenKeysAsDecimalTextInOrder) {
  fakes::Store store;
  fakes::View view = fakes::View::Defaults();
  view.numbers[Field::PVP] = -1;
  view.numbers[Field::Reload] = 2;
  view.texts[Field::PPass] = "";
  settings::SaveSettings(store, kApp, view, [](const std::string&) { FAIL(); });
  ASSERT_EQ(store.writeOrder.size(), 19u);
  for (int f = 0; f < settings::kFieldCount; ++f)
    EXPECT_EQ(store.writeOrder[f], settings::Info(f).name);
  EXPECT_EQ(store.values[Key("PVP")], "-1");
  EXPECT_EQ(store.values[Key("Reload")], "2");
  EXPECT_EQ(store.values[Key("GType")], "0");
  EXPECT_EQ(store.values[Key("PPass")], "");
  EXPECT_EQ(store.values[Key("APass")], "Chief417");
}

TEST(SaveSettings, RoundTripLoadsBackWhatWasSaved) {
  fakes::Store store;
  fakes::View saved = fakes::View::Defaults();
  saved.texts[Field::SName] = " Caf\xE9 \"x\" ";
  saved.numbers[Field::GType] = 12;
  saved.numbers[Field::Diff] = -1;
  saved.numbers[Field::Party] = 2;
  settings::SaveSettings(store, kApp, saved, [](const std::string&) {});
  Loaded l = Load(store);
  EXPECT_TRUE(l.log.empty());
  EXPECT_EQ(server::BuildCommandLine(l.view), server::BuildCommandLine(saved));
}

TEST(SaveSettings, RefusedWriteIsLoggedAndTheOtherKeysStillWritten) {
  fakes::Store store;
  store.refusedKeys = {"Port", "SVault"};
  fakes::View view = fakes::View::Defaults();
  std::vector<std::string> log;
  settings::SaveSettings(store, kApp, view, [&](const std::string& l) { log.push_back(l); });
  EXPECT_EQ(store.writeOrder.size(), 19u);
  EXPECT_EQ(store.values.size(), 17u);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], "Setting Port could not be saved: Access is denied.");
  EXPECT_EQ(log[1], "Setting SVault could not be saved: Access is denied.");
}

TEST(ApplicationName, IsTheExecutableFileNameWithoutExtension) {
  struct {
    const char* path;
    const char* name;
  } cases[] = {{"C:\\srv\\vigilo.exe", "vigilo"},
               {"C:\\srv.d\\Vigilo Copy.EXE", "Vigilo Copy"},
               {"vigilo", "vigilo"},
               {"C:\\a\\my.tool.exe", "my.tool"},
               {"/z/vigilo.exe", "vigilo"}};
  for (const auto& c : cases) EXPECT_EQ(platform::ApplicationName(c.path), c.name) << c.path;
}

}  // namespace
