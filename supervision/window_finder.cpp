#include "supervision/window_finder.h"

#include <vector>

namespace supervision {

const char kShutdown[] = "shutdown";

namespace {

// What Windows puts in place of a window that stopped answering, titled as
// it plus " (Not Responding)"; the hung window itself stays behind it.
const char kGhostClass[] = "Ghost";

bool Skipped(platform::WindowList& windows, platform::WindowHandle window, uint32_t serverPid) {
  // The process first: it is asked without a message, so a hung or
  // unpumped window of another program (or of Vigilo itself) is never read.
  return windows.ProcessOf(window) != serverPid  //
         || windows.Parent(window) != 0          // an owned pop-up
         || windows.ClassName(window) == kGhostClass;
}

}  // namespace

// By value: the finder works on its own copy of the prefix.
std::string FindServerWindow(platform::WindowList& windows,
                             std::string prefix,  // NOLINT(performance-unnecessary-value-param)
                             uint32_t serverPid, std::string* error) {
  if (serverPid == 0) return kShutdown;
  std::vector<platform::WindowHandle> list;
  if (!windows.TopLevel(&list, error)) return "";
  for (platform::WindowHandle window : list) {
    if (Skipped(windows, window, serverPid)) continue;
    // A window gone since the list was taken reads as no title: skipped.
    // Fresh blanks for every window: the filler after the NUL is part of the status.
    std::string buffer(kTitleBufferLength, ' ');
    int copied = windows.Title(window, &buffer[0], kTitleBufferLength);
    if (copied != 0 && prefix.size() <= buffer.size() &&
        buffer.compare(0, prefix.size(), prefix) == 0)
      return buffer;
  }
  return kShutdown;
}

std::string VisibleText(const std::string& status) { return status.substr(0, status.find('\0')); }

}  // namespace supervision
