// BuildCommandLine over arbitrary values: the first 18 bytes give the nine
// numbers, the rest, split at NUL bytes, the ten texts. The line begins with
// "nwserver", and each value can be taken back out of it: set to another
// value, only that value's own place in the line changes, which holds the
// text unchanged, or the number in the line's number form.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "server/command_line.h"
#include "settings/settings.h"

namespace {

class Values : public settings::SettingsView {
 public:
  std::string texts[settings::kFieldCount];
  int16_t numbers[settings::kFieldCount] = {};
  std::string Text(int field) const override { return texts[field]; }
  void SetText(int field, const std::string& text) override { texts[field] = text; }
  int16_t Number(int field) const override { return numbers[field]; }
  void SetNumber(int field, int16_t value) override { numbers[field] = value; }
};

bool IsText(int field) { return settings::Info(field).kind == settings::Kind::Text; }

// What the line carries for a field's value: a text as it is, a number in
// the line's form (the difficulty's position plus one).
std::string Piece(const Values& values, int field) {
  if (IsText(field)) return values.texts[field];
  return server::NumberPiece(
      static_cast<int16_t>(values.numbers[field] + (field == settings::Diff ? 1 : 0)));
}

// True when line = P + a + S and other = P + b + S for some P and S.
bool SameButOnePlace(const std::string& line, const std::string& a, const std::string& other,
                     const std::string& b) {
  if (line.size() < a.size() || other.size() < b.size() ||
      line.size() - a.size() != other.size() - b.size())
    return false;
  const size_t rest = line.size() - a.size();
  size_t prefix = 0, suffix = 0;
  while (prefix < line.size() && prefix < other.size() && line[prefix] == other[prefix]) ++prefix;
  while (suffix < line.size() && suffix < other.size() &&
         line[line.size() - 1 - suffix] == other[other.size() - 1 - suffix])
    ++suffix;
  for (size_t at = rest > suffix ? rest - suffix : 0; at <= rest && at <= prefix; ++at)
    if (line.compare(at, a.size(), a) == 0 && other.compare(at, b.size(), b) == 0) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Values values;
  size_t at = 0;
  for (int field = 0; field < settings::kFieldCount; ++field) {
    if (IsText(field)) continue;
    if (at + 2 <= size) values.numbers[field] = static_cast<int16_t>(data[at] | data[at + 1] << 8);
    at += 2;
  }
  for (int field = 0; field < settings::kFieldCount; ++field) {
    if (!IsText(field)) continue;
    while (at < size && data[at] != 0) values.texts[field] += static_cast<char>(data[at++]);
    ++at;
  }

  const std::string line = server::BuildCommandLine(values);
  if (line.compare(0, 8, "nwserver") != 0) std::abort();
  for (int field = 0; field < settings::kFieldCount; ++field) {
    Values other = values;
    if (IsText(field))
      other.texts[field] = values.texts[field].empty() ? "x" : "";
    else
      other.numbers[field] = static_cast<int16_t>(values.numbers[field] == 7 ? 8 : 7);
    if (!SameButOnePlace(line, Piece(values, field), server::BuildCommandLine(other),
                         Piece(other, field)))
      std::abort();
  }
  return 0;
}
