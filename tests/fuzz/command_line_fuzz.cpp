// BuildCommandLine over arbitrary values: the first 18 bytes give the nine
// numbers, the rest, split at NUL bytes, the ten texts. The line must begin
// with "nwserver" and hold the nineteen option texts in order, each followed
// by its value unchanged (texts) or in the line's number form.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "server/command_line.h"
#include "settings/settings.h"

namespace {

const char* const kOptions[settings::kFieldCount] = {" -servername ",
                                                     " -module ",
                                                     " -port ",
                                                     " -pvp",
                                                     " -gametype",
                                                     " -difficulty",
                                                     " -maxclients ",
                                                     " -minlevel ",
                                                     " -maxlevel ",
                                                     " -autosaveinterval ",
                                                     " -playerpassword ",
                                                     " -dmpassword ",
                                                     " -adminpassword ",
                                                     " -publicserver",
                                                     " -elc",
                                                     " -ilr",
                                                     " -oneparty",
                                                     " -reloadwhenempty",
                                                     " -servervault"};

class Values : public settings::SettingsView {
 public:
  std::string texts[settings::kFieldCount];
  int16_t numbers[settings::kFieldCount] = {};
  std::string Text(int field) const override { return texts[field]; }
  void SetText(int field, const std::string& text) override { texts[field] = text; }
  int16_t Number(int field) const override { return numbers[field]; }
  void SetNumber(int field, int16_t value) override { numbers[field] = value; }
};

bool Quoted(int field) {
  return field == settings::SName || field == settings::MName || field >= settings::PPass;
}

// Checks that `expected` stands at `at` in the line and moves past it.
void Expect(const std::string& line, size_t& at, const std::string& expected) {
  if (line.compare(at, expected.size(), expected) != 0) std::abort();
  at += expected.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Values values;
  size_t at = 0;
  for (int field = 0; field < settings::kFieldCount; ++field) {
    if (settings::Info(field).kind == settings::Kind::Text) continue;
    if (at + 2 <= size) values.numbers[field] = static_cast<int16_t>(data[at] | data[at + 1] << 8);
    at += 2;
  }
  for (int field = 0; field < settings::kFieldCount; ++field) {
    if (settings::Info(field).kind != settings::Kind::Text) continue;
    while (at < size && data[at] != 0) values.texts[field] += static_cast<char>(data[at++]);
    ++at;
  }

  const std::string line = server::BuildCommandLine(values);
  size_t pos = 0;
  Expect(line, pos, "nwserver");
  for (int field = 0; field < settings::kFieldCount; ++field) {
    Expect(line, pos, kOptions[field]);
    if (settings::Info(field).kind == settings::Kind::Text) {
      const std::string& text = values.texts[field];
      Expect(line, pos, Quoted(field) ? '"' + text + '"' : text);
    } else {
      // The difficulty's position plus one, as the 16-bit number the line carries.
      const auto number = static_cast<int16_t>(values.numbers[field] + (field == settings::Diff));
      Expect(line, pos, (number >= 0 ? " " : "") + std::to_string(number));
    }
  }
  if (pos != line.size()) std::abort();
  return 0;
}
