// Finds the server by the title of its top-level window.
#pragma once

#include <string>

#include "platform/window_list.h"

namespace supervision {

constexpr int kTitleBufferLength = 256;
extern const char kShutdown[];  // "shutdown"

// The whole 256-character title buffer (title, NUL, blank filler) of the first
// unowned top-level window whose title begins with prefix, or "shutdown".
std::string FindServerWindow(platform::WindowList& windows, std::string prefix);

// The title as shown: the status up to its first NUL.
std::string VisibleText(const std::string& status);

}  // namespace supervision
