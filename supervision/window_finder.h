// Finds the server by the title of its top-level window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/window_list.h"

namespace supervision {

constexpr int kTitleBufferLength = 256;
extern const char kShutdown[];  // "shutdown"

// The whole 256-character title buffer (title, NUL, blank filler) of the
// first unowned top-level window of the server's processes whose title begins
// with prefix; else of another program's window that owns one of theirs (a
// terminal hosting the server's console) and whose title begins with it;
// else "shutdown". serverPids are the server's processes that still run; with
// none, the result is "shutdown" and no window is read. No other program's
// window is ever read. "" with *error set when the window list could not be
// read: nothing is known then.
std::string FindServerWindow(platform::WindowList& windows, std::string prefix,
                             const std::vector<uint32_t>& serverPids, std::string* error);

// The title as shown: the status up to its first NUL.
std::string VisibleText(const std::string& status);

}  // namespace supervision
