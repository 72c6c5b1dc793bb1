#include "settings/settings.h"

#include <climits>
#include <iterator>

#include "platform/store.h"

namespace settings {

const char* const kPvpChoices[] = {"None", "Party", "Full", nullptr};
const char* const kGameTypeChoices[] = {
    "Action", "Story",       "Story Lite", "Role Play", "Team", "Melee",        "Arena",
    "Social", "Alternative", "PW Action",  "PW Story",  "Solo", "Tech Support", nullptr};
const char* const kDifficultyChoices[] = {"Easy", "Normal", "Hardcore", "Difficult", nullptr};

const char kSection[] = "s1";

namespace {

// clang-format off
const FieldInfo kFields[] = {
    {"SName", Kind::Text, "My Server", nullptr, 0},
    {"MName", Kind::Text, "My Module", nullptr, 0},
    {"Port", Kind::Text, "5121", nullptr, 0},
    {"PVP", Kind::ListIndex, "2", kPvpChoices, 3},
    {"GType", Kind::ListIndex, "0", kGameTypeChoices, 13},
    {"Diff", Kind::ListIndex, "1", kDifficultyChoices, 4},
    {"Players", Kind::Text, "20", nullptr, 0},
    {"MinLvl", Kind::Text, "1", nullptr, 0},
    {"MaxLvl", Kind::Text, "40", nullptr, 0},
    {"AutoSave", Kind::Text, "0", nullptr, 0},
    {"PPass", Kind::Text, "", nullptr, 0},
    {"DPass", Kind::Text, "GM417", nullptr, 0},
    {"APass", Kind::Text, "Chief417", nullptr, 0},
    {"Pub", Kind::Check, "1", nullptr, 0},
    {"ELC", Kind::Check, "1", nullptr, 0},
    {"ILR", Kind::Check, "0", nullptr, 0},
    {"Party", Kind::Check, "0", nullptr, 0},
    {"Reload", Kind::Check, "0", nullptr, 0},
    {"SVault", Kind::Check, "0", nullptr, 0},
};
// clang-format on
static_assert(std::size(kFields) == kFieldCount, "one row for each field");

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

const FieldInfo& Info(int field) { return kFields[field]; }

std::string DecimalText(int value) { return std::to_string(value); }

std::optional<int16_t> ParseInt16(const std::string& text) {
  size_t i = 0, end = text.size();
  while (i < end && IsBlank(text[i])) ++i;
  while (end > i && IsBlank(text[end - 1])) --end;
  bool negative = false;
  if (i < end && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == end) return std::nullopt;
  long value = 0;
  for (; i < end; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > 32768) return std::nullopt;  // stops overflow on long digit runs
  }
  if (negative) value = -value;
  if (value < INT16_MIN || value > INT16_MAX) return std::nullopt;
  return static_cast<int16_t>(value);
}

std::optional<int16_t> ParseStoredNumber(int field, const std::string& text) {
  const FieldInfo& info = Info(field);
  std::optional<int16_t> value = ParseInt16(text);
  if (!value) return std::nullopt;
  if (info.kind == Kind::ListIndex && (*value < -1 || *value >= info.choiceCount))
    return std::nullopt;
  if (info.kind == Kind::Check && (*value < 0 || *value > 2)) return std::nullopt;
  return value;
}

std::string StoredText(const SettingsView& view, int field) {
  if (Info(field).kind == Kind::Text) return view.Text(field);
  return DecimalText(view.Number(field));
}

std::string InvalidSettingMessage(const char* key, const std::string& stored) {
  return std::string("Stored setting ") + key + " (\"" + stored +
         "\") is invalid; using the default.";
}

void LoadSettings(platform::SettingsStore& store, const std::string& appName, SettingsView& view,
                  const LogFn& log) {
  for (int field = 0; field < kFieldCount; ++field) {
    const FieldInfo& info = Info(field);
    std::string foreign;
    std::string stored = store.Read(appName, kSection, info.name, info.defaultText, &foreign);
    // Not a text: the field takes its default, and the operator is told why.
    if (!foreign.empty()) log(InvalidSettingMessage(info.name, foreign));
    if (info.kind == Kind::Text) {
      view.SetText(field, stored);
      continue;
    }
    std::optional<int16_t> value = ParseStoredNumber(field, stored);
    if (!value) {
      log(InvalidSettingMessage(info.name, stored));
      value = ParseStoredNumber(field, info.defaultText);
    }
    view.SetNumber(field, *value);
  }
}

void SaveSettings(platform::SettingsStore& store, const std::string& appName,
                  const SettingsView& view, const LogFn& log) {
  for (int field = 0; field < kFieldCount; ++field) {
    const char* key = Info(field).name;
    std::string error;
    if (!store.Write(appName, kSection, key, StoredText(view, field), &error))
      log(std::string("Setting ") + key + " could not be saved: " + error);
  }
}

}  // namespace settings
