// The nineteen server settings: their kinds, choice lists, defaults, and how
// they move between the per-user store and the window's controls.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {
class SettingsStore;
}

namespace settings {

enum class Kind : std::uint8_t { Text, ListIndex, Check };

// Field positions: the order of loading, saving, the command line and tab order.
// clang-format off
enum Field : std::uint8_t {
  SName, MName, Port, PVP, GType, Diff, Players, MinLvl, MaxLvl, AutoSave,
  PPass, DPass, APass, Pub, ELC, ILR, Party, Reload, SVault,
  kFieldCount
};
// clang-format on

struct FieldInfo {
  const char* name;  // field, control and store key
  Kind kind;
  const char* defaultText;     // given to the store as the default
  const char* const* choices;  // list entries (ListIndex only), null-terminated
  int choiceCount;
};

const FieldInfo& Info(int field);

extern const char* const kPvpChoices[];
extern const char* const kGameTypeChoices[];
extern const char* const kDifficultyChoices[];

extern const char kSection[];  // "s1"

// The controls are the one home of the values; this is how the core reads
// and assigns them. Assigning must raise the control's own notification.
class SettingsView {
 public:
  virtual ~SettingsView() = default;
  virtual std::string Text(int field) const = 0;
  virtual void SetText(int field, const std::string& text) = 0;
  // List position (-1: nothing selected) or check value (0, 1, 2).
  virtual int16_t Number(int field) const = 0;
  virtual void SetNumber(int field, int16_t value) = 0;
};

// Decimal text of an integer: digits, a leading minus for negatives, nothing else.
std::string DecimalText(int value);

// A stored text as a 16-bit signed integer; blanks around it are tolerated.
std::optional<int16_t> ParseInt16(const std::string& text);

// The value a field accepts from the store, or nothing when it is malformed.
std::optional<int16_t> ParseStoredNumber(int field, const std::string& text);

// The value of a field in the form it is stored.
std::string StoredText(const SettingsView& view, int field);

using LogFn = std::function<void(const std::string&)>;

// Reads every key (default when missing) into its control, in field order.
// A malformed stored number gives that field its default and a log line.
void LoadSettings(platform::SettingsStore& store, const std::string& appName, SettingsView& view,
                  const LogFn& log);

// Writes all nineteen keys; a refused write is logged and the rest still written.
void SaveSettings(platform::SettingsStore& store, const std::string& appName,
                  const SettingsView& view, const LogFn& log);

std::string InvalidSettingMessage(const char* key, const std::string& stored);

}  // namespace settings
