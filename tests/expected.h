// What a first start shows, written out by hand rather than read from the
// settings table under test: the nineteen defaults and the line they make.
#pragma once

#include <cstdint>

namespace expected {

struct FieldDefault {
  const char* name;   // field, control and store key
  bool text;          // an edit box; else a list index or a check state
  const char* shown;  // the box's text or the list's entry; "" for a check box
  int16_t number;     // the list index or check state
};

// In field order.
const FieldDefault kDefaults[] = {
    {"SName", true, "My Server", 0}, {"MName", true, "My Module", 0}, {"Port", true, "5121", 0},
    {"PVP", false, "Full", 2},       {"GType", false, "Action", 0},   {"Diff", false, "Normal", 1},
    {"Players", true, "20", 0},      {"MinLvl", true, "1", 0},        {"MaxLvl", true, "40", 0},
    {"AutoSave", true, "0", 0},      {"PPass", true, "", 0},          {"DPass", true, "GM417", 0},
    {"APass", true, "Chief417", 0},  {"Pub", false, "", 1},           {"ELC", false, "", 1},
    {"ILR", false, "", 0},           {"Party", false, "", 0},         {"Reload", false, "", 0},
    {"SVault", false, "", 0},
};

const char kDefaultLine[] =
    "nwserver -servername \"My Server\" -module \"My Module\" -port 5121 -pvp 2 -gametype 0 "
    "-difficulty 2 -maxclients 20 -minlevel 1 -maxlevel 40 -autosaveinterval 0 "
    "-playerpassword \"\" -dmpassword \"GM417\" -adminpassword \"Chief417\" -publicserver 1 "
    "-elc 1 -ilr 0 -oneparty 0 -reloadwhenempty 0 -servervault 0";

}  // namespace expected
