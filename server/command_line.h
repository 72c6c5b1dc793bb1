// The server's command line, built from the nineteen settings.
#pragma once

#include <cstdint>
#include <string>

#include "settings/settings.h"

namespace server {

// Bare program name: found by the ordinary program search, never a path.
extern const char kProgramName[];     // "nwserver"
extern const char kExecutableName[];  // "nwserver.exe"
extern const char kTitlePrefix[];     // "NWServer - "

// A number as the line carries it: " 2", " 0", "-1".
std::string NumberPiece(int16_t value);

// The line for the controls' current values. Nothing is escaped or validated:
// values go on exactly as held, between double quotes where the option wants.
std::string BuildCommandLine(const settings::SettingsView& view);

}  // namespace server
