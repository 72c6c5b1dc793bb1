// Finds the server by the title of its top-level window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/window_list.h"

namespace supervision {

constexpr int kTitleBufferLength = 256;
extern const char kShutdown[];  // "shutdown"

// The whole 256-character title buffer (title, NUL, blank filler) of the first
// unowned top-level window whose title begins with prefix, or "shutdown".
// serverPids are the server's processes that still run; with none, the
// result is "shutdown" and no window is read. A window of theirs is taken
// before any other program's; only when none of theirs matches is another
// program's taken, as a terminal that hosts the server's console has the
// title. "" with *error set when the window list could not be read: nothing
// is known then.
std::string FindServerWindow(platform::WindowList& windows, std::string prefix,
                             const std::vector<uint32_t>& serverPids, std::string* error);

// The title as shown: the status up to its first NUL.
std::string VisibleText(const std::string& status);

}  // namespace supervision
