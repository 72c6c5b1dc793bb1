#include "server/command_line.h"

#include <gtest/gtest.h>

#include "fakes.h"

using settings::Field;

namespace {

TEST(BuildCommandLine, DefaultsGiveTheWorkedExampleLine) {
  fakes::View view = fakes::View::Defaults();
  EXPECT_EQ(server::BuildCommandLine(view), expected::kDefaultLine);
}

struct EditCase {
  const char* name;
  int field;
  std::string text;    // used for text fields
  int16_t number;      // used for list and check fields
  std::string expect;  // must appear in the line
};

class BuildCommandLineEdits : public ::testing::TestWithParam<EditCase> {};

TEST_P(BuildCommandLineEdits, ValueLandsExactlyAsHeld) {
  const EditCase& c = GetParam();
  fakes::View view = fakes::View::Defaults();
  if (settings::Info(c.field).kind == settings::Kind::Text)
    view.texts[c.field] = c.text;
  else
    view.numbers[c.field] = c.number;
  std::string line = server::BuildCommandLine(view);
  EXPECT_NE(line.find(c.expect), std::string::npos) << c.name << "\n  line: " << line;
}

const EditCase kEditCases[] = {
    EditCase{"empty port leaves two blanks", Field::Port, "", 0, " -port  -pvp 2 "},
    EditCase{"empty name gives two quotes", Field::SName, "", 0, "-servername \"\" -module"},
    EditCase{"blanks kept inside quotes", Field::SName, "  My  Server ", 0,
             "-servername \"  My  Server \" -module"},
    EditCase{"port with a blank gives two words", Field::Port, "51 21", 0, " -port 51 21 -pvp"},
    EditCase{"quote inside a value is not escaped", Field::MName, "Mod\"ule", 0,
             " -module \"Mod\"ule\" -port"},
    EditCase{"pvp -1 follows the option directly", Field::PVP, "", -1, " -pvp-1 -gametype"},
    EditCase{"gametype -1", Field::GType, "", -1, " -gametype-1 -difficulty"},
    EditCase{"gametype 12", Field::GType, "", 12, " -gametype 12 -difficulty"},
    EditCase{"difficulty none gives 0", Field::Diff, "", -1, " -difficulty 0 -maxclients"},
    EditCase{"difficulty is position plus one", Field::Diff, "", 3, " -difficulty 4 -max"},
    EditCase{"indeterminate check gives 2", Field::Pub, "", 2, " -publicserver 2 -elc"},
    EditCase{"last check box ends the line", Field::SVault, "", 1, " -servervault 1"},
    EditCase{"non-ASCII text unchanged", Field::SName, "Caf\xE9 \xDCn\xEF\x63ode", 0,
             "\"Caf\xE9 \xDCn\xEF\x63ode\""},
    EditCase{"ampersand kept", Field::PPass, "a&b", 0, " -playerpassword \"a&b\" -dm"},
    EditCase{"unquoted text fields are not quoted", Field::AutoSave, "x y", 0,
             " -autosaveinterval x y -playerpassword"}};

INSTANTIATE_TEST_SUITE_P(Cases, BuildCommandLineEdits, ::testing::ValuesIn(kEditCases),
                         [](const ::testing::TestParamInfo<EditCase>& info) {
                           std::string name = info.param.name;
                           for (char& ch : name)
                             if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name;
                         });

TEST(BuildCommandLine, NumberPieceSignRule) {
  struct {
    int16_t value;
    const char* piece;
  } cases[] = {{0, " 0"}, {2, " 2"}, {-1, "-1"}, {32767, " 32767"}, {-32768, "-32768"}};
  for (const auto& c : cases) EXPECT_EQ(server::NumberPiece(c.value), c.piece) << c.value;
}

TEST(BuildCommandLine, EndsAtLastPieceAndStartsWithBareProgramName) {
  fakes::View view = fakes::View::Defaults();
  view.texts[Field::SName] = "";
  std::string line = server::BuildCommandLine(view);
  EXPECT_EQ(line.rfind("nwserver -servername ", 0), 0u);
  EXPECT_EQ(line.substr(line.size() - 15), " -servervault 0");
}

}  // namespace
