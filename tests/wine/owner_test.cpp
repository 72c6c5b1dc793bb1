#include <windows.h>

#include <gtest/gtest.h>

#include <type_traits>
#include <utility>

#include "platform/handles_win.h"
#include "platform/process.h"

namespace {

// Whether an owner can be filled with a value: only where its closer has no state.
template <typename Owner, typename = void>
struct Fillable : std::false_type {};
template <typename Owner>
struct Fillable<Owner, std::void_t<decltype(std::declval<Owner&>().put())>> : std::true_type {};
static_assert(Fillable<platform::UniqueHandle>::value && !Fillable<platform::OwnedHandle>::value &&
                  !std::is_constructible<platform::OwnedHandle, platform::Handle>::value,
              "an owner without the service that closes cannot be filled");

// An owner closes what it holds once: at a move-assignment or a put over it
// and at its end; not when it is moved from or to itself, nor once it has
// given it up. `alive` asks the system whether an object still answers,
// which Wine tells even where it counts no objects.
template <typename Make, typename Own, typename Alive>
void ExpectClosedByItsOwner(const char* kind, Make make, Own own, Alive alive) {
  SCOPED_TRACE(kind);
  const auto first = make(), second = make(), third = make();
  ASSERT_TRUE(alive(first) && alive(second) && alive(third));
  {
    auto owner = own(first);
    auto moved = std::move(owner);
    EXPECT_FALSE(owner);  // NOLINT(bugprone-use-after-move): it must hold nothing now
    auto& same = moved;
    moved = std::move(same);
    EXPECT_TRUE(moved && alive(first)) << "closed when moved";
    moved = own(second);
    EXPECT_FALSE(alive(first)) << "left open by a move-assignment";
    EXPECT_EQ(moved.release(), second);
    EXPECT_TRUE(!moved && alive(second)) << "closed when given up";
    if constexpr (Fillable<decltype(moved)>::value) {
      moved.reset(second);
      *moved.put() = third;
      EXPECT_FALSE(alive(second)) << "left open by a put";
    } else {
      moved = own(third);
      own(second).reset();
    }
  }
  EXPECT_FALSE(alive(third)) << "left open at its owner's end";
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
  // Both owners of kernel objects take the value some calls fail with for none.
  EXPECT_FALSE(platform::UniqueHandle(INVALID_HANDLE_VALUE));
  EXPECT_FALSE(api->Own(reinterpret_cast<platform::Handle>(INVALID_HANDLE_VALUE)));
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
