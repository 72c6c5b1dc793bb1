// Finds the server by the title of its top-level window.
#pragma once

#include <cstdint>
#include <string>

#include "platform/window_list.h"

namespace supervision {

constexpr int kTitleBufferLength = 256;
extern const char kShutdown[];  // "shutdown"

// The whole 256-character title buffer (title, NUL, blank filler) of the first
// unowned top-level window of process serverPid whose title begins with
// prefix, or "shutdown" (always so for serverPid 0: nothing launched).
// Other programs' windows are never read, however they are titled. "" with
// *error set when the window list could not be read: nothing is known then.
std::string FindServerWindow(platform::WindowList& windows, std::string prefix, uint32_t serverPid,
                             std::string* error);

// The title as shown: the status up to its first NUL.
std::string VisibleText(const std::string& status);

}  // namespace supervision
