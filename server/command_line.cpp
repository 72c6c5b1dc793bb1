#include "server/command_line.h"

#include <iterator>

namespace server {

const char kProgramName[] = "nwserver";
const char kExecutableName[] = "nwserver.exe";
const char kTitlePrefix[] = "NWServer - ";

namespace {

enum class Form : std::uint8_t { Text, Quoted, Number, NumberPlusOne };

struct Piece {
  const char* option;
  Form form;
};

// Indexed by settings::Field.
const Piece kPieces[] = {
    {" -servername ", Form::Quoted},
    {" -module ", Form::Quoted},
    {" -port ", Form::Text},
    {" -pvp", Form::Number},
    {" -gametype", Form::Number},
    {" -difficulty", Form::NumberPlusOne},
    {" -maxclients ", Form::Text},
    {" -minlevel ", Form::Text},
    {" -maxlevel ", Form::Text},
    {" -autosaveinterval ", Form::Text},
    {" -playerpassword ", Form::Quoted},
    {" -dmpassword ", Form::Quoted},
    {" -adminpassword ", Form::Quoted},
    {" -publicserver", Form::Number},
    {" -elc", Form::Number},
    {" -ilr", Form::Number},
    {" -oneparty", Form::Number},
    {" -reloadwhenempty", Form::Number},
    {" -servervault", Form::Number},
};
static_assert(std::size(kPieces) == settings::kFieldCount, "one piece for each field");

}  // namespace

std::string NumberPiece(int16_t value) {
  std::string digits = settings::DecimalText(value);
  return value >= 0 ? " " + digits : digits;
}

std::string BuildCommandLine(const settings::SettingsView& view) {
  std::string line = kProgramName;
  line.reserve(512);  // room for the default line and usual edits: no regrowth
  for (int field = 0; field < settings::kFieldCount; ++field) {
    const Piece& piece = kPieces[field];
    line += piece.option;
    switch (piece.form) {
      case Form::Text:
        line += view.Text(field);
        break;
      case Form::Quoted:
        line += '"';
        line += view.Text(field);
        line += '"';
        break;
      case Form::Number:
        line += NumberPiece(view.Number(field));
        break;
      case Form::NumberPlusOne:
        line += NumberPiece(static_cast<int16_t>(view.Number(field) + 1));
        break;
    }
  }
  return line;
}

}  // namespace server
