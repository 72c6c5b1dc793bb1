#include <windows.h>

#include <gtest/gtest.h>

#include <utility>

#include "platform/handles_win.h"
#include "platform/process.h"

namespace {

// An owner closes what it holds once: not when it is moved from, at a reset
// to another object, and at its end. `alive` asks the system whether an
// object still answers, which Wine tells even where it counts no objects.
template <typename Make, typename Own, typename Alive>
void ExpectClosedByItsOwner(const char* kind, Make make, Own own, Alive alive) {
  SCOPED_TRACE(kind);
  const auto first = make(), second = make();
  ASSERT_TRUE(alive(first) && alive(second));
  {
    auto owner = own(first);
    auto moved = std::move(owner);
    EXPECT_FALSE(owner);  // NOLINT(bugprone-use-after-move): it must hold nothing now
    EXPECT_TRUE(alive(first)) << "closed when moved";
    moved.reset(second);
    EXPECT_FALSE(alive(first)) << "left open by a reset";
    EXPECT_TRUE(alive(second));
  }
  EXPECT_FALSE(alive(second)) << "left open at its owner's end";
}

HANDLE MakeEvent() { return ::CreateEventA(nullptr, TRUE, FALSE, nullptr); }
bool Answers(HANDLE h) {
  DWORD flags = 0;
  return ::GetHandleInformation(h, &flags) != FALSE;
}

TEST(Owners, CloseEachKindOfHandle) {
  ExpectClosedByItsOwner(
      "kernel handle", MakeEvent, [](HANDLE h) { return platform::UniqueHandle(h); }, Answers);
  auto api = platform::CreateSystemProcessApi();
  ExpectClosedByItsOwner(
      "a handle of the process service",
      [] { return reinterpret_cast<platform::Handle>(MakeEvent()); },
      [&](platform::Handle h) { return api->Own(h); },
      [](platform::Handle h) { return Answers(reinterpret_cast<HANDLE>(h)); });
  ExpectClosedByItsOwner(
      "font",
      [] { return ::CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Tahoma"); },
      [](HFONT f) { return platform::UniqueFont(f); },
      [](HFONT f) {
        LOGFONTA font;
        return ::GetObjectA(f, sizeof font, &font) != 0;
      });
  const char* const path = "Software\\Vigilo owner test";
  ExpectClosedByItsOwner(
      "registry key",
      [&] {
        HKEY key = nullptr;
        ::RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                          nullptr);
        ::RegSetValueExA(key, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);
        return key;
      },
      [](HKEY k) { return platform::UniqueKey(k); },
      [](HKEY k) {
        return ::RegQueryValueExA(k, "v", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
      });
  ::RegDeleteKeyA(HKEY_CURRENT_USER, path);
}

}  // namespace
