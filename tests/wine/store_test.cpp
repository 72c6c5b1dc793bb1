#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/handles_win.h"
#include "platform/store.h"
#include "tests/win_helpers.h"

namespace {

// A name of its own for each test's settings, removed when the test ends.
class UniqueApp {
 public:
  explicit UniqueApp(const char* base) : name_(base + std::to_string(::GetCurrentProcessId())) {}
  ~UniqueApp() { wintest::DeleteStored(name_); }
  operator const std::string&() const { return name_; }

 private:
  std::string name_;
};

std::wstring ReadWide(const std::string& app, const char* key, DWORD* type) {
  std::wstring value;
  return wintest::ReadStoredValue(app, key, &value, type) ? value : L"<no value>";
}

// A read of a text value: nothing foreign about it.
std::string ReadText(platform::SettingsStore& store, const std::string& app, const char* section,
                     const char* key, const std::string& fallback) {
  std::string foreign = "unset";
  std::string text = store.Read(app, section, key, fallback, &foreign);
  EXPECT_EQ(foreign, "") << key;
  return text;
}

TEST(RegistryStore, MissingApplicationSectionOrKeyGivesTheDefault) {
  auto store = platform::CreateRegistryStore();
  const UniqueApp app("StoreDefaults");
  EXPECT_EQ(ReadText(*store, app, "s1", "SName", "My Server"), "My Server");
  std::string error;
  ASSERT_TRUE(store->Write(app, "s2", "Other", "x", &error)) << error;
  EXPECT_EQ(ReadText(*store, app, "s1", "SName", "d1"), "d1");  // section missing
  ASSERT_TRUE(store->Write(app, "s1", "Port", "1", &error)) << error;
  EXPECT_EQ(ReadText(*store, app, "s1", "SName", "d2"), "d2");  // key missing
  EXPECT_EQ(ReadText(*store, app, "s1", "Port", "d3"), "1");
}

TEST(RegistryStore, RoundTripsTextsExactlyAsRegSz) {
  auto store = platform::CreateRegistryStore();
  const UniqueApp app("StoreRoundTrip");
  const struct {
    const char* key;
    std::string value;
    std::wstring wide;
  } cases[] = {
      {"PPass", "", L""},
      {"SName", "Caf\xE9 \xDCn\xEF\x63ode", L"Caf\u00e9 \u00dcn\u00efcode"},
      {"MName", "  blanks kept  ", L"  blanks kept  "},
      {"APass", "q\"uo&te", L"q\"uo&te"},
  };
  for (const auto& c : cases) {
    std::string error;
    ASSERT_TRUE(store->Write(app, "s1", c.key, c.value, &error)) << c.key << ": " << error;
    EXPECT_EQ(ReadText(*store, app, "s1", c.key, "default"), c.value) << c.key;
    DWORD type = 0;
    EXPECT_EQ(ReadWide(app, c.key, &type), c.wide) << c.key;
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << c.key;
  }
  std::string error;
  ASSERT_TRUE(store->Write(app, "s1", "SName", "second", &error));
  EXPECT_EQ(ReadText(*store, app, "s1", "SName", "default"), "second");  // replaced
}

TEST(RegistryStore, AValueOfAnotherTypeReadsAsTheDefaultAndIsDescribed) {
  auto store = platform::CreateRegistryStore();
  const UniqueApp app("StoreType");
  std::string error;
  ASSERT_TRUE(store->Write(app, "s1", "PVP", "1", &error));
  platform::UniqueKey k;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, wintest::StoredKey(app).c_str(), 0, KEY_SET_VALUE,
                            k.put()),
            ERROR_SUCCESS);
  const DWORD five = 5;
  const struct {
    DWORD type;
    std::string data;
    const char* described;
  } cases[] = {
      {REG_DWORD, std::string(reinterpret_cast<const char*>(&five), sizeof five), "REG_DWORD 5"},
      {REG_EXPAND_SZ, std::string("%PVP%\0", 6), "REG_EXPAND_SZ %PVP%"},
      {REG_BINARY, std::string("\x01\x00\x02", 3), "REG_BINARY, 3 bytes"},
  };
  for (const auto& c : cases) {
    ::RegSetValueExA(k.get(), "PVP", 0, c.type, reinterpret_cast<const BYTE*>(c.data.data()),
                     static_cast<DWORD>(c.data.size()));
    std::string foreign;
    EXPECT_EQ(store->Read(app, "s1", "PVP", "2", &foreign), "2") << c.described;
    EXPECT_EQ(foreign, c.described);
  }
}

// Another copy of Vigilo saves while this one reads, and the value changes
// length between the read of its size and of its text: each read is one of
// the texts stored, never the default.
TEST(RegistryStore, AValueRewrittenWhileItIsReadIsReadWhole) {
  const UniqueApp app("StoreRace");
  const std::string shorter = "a", longer(300, 'b');
  std::string error;
  ASSERT_TRUE(platform::CreateRegistryStore()->Write(app, "s1", "SName", shorter, &error));
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    auto store = platform::CreateRegistryStore();
    std::string ignored;
    for (int i = 0; !stop; ++i)
      store->Write(app, "s1", "SName", i % 2 ? longer : shorter, &ignored);
  });
  auto store = platform::CreateRegistryStore();
  int reads = 0, others = 0;
  for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < 1500; ++reads) {
    const std::string text = ReadText(*store, app, "s1", "SName", "default");
    others += text != shorter && text != longer;
  }
  stop = true;
  writer.join();
  EXPECT_EQ(others, 0) << "of " << reads << " reads";
}

}  // namespace
