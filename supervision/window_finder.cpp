#include "supervision/window_finder.h"

#include <vector>

namespace supervision {

const char kShutdown[] = "shutdown";

namespace {

// What Windows puts in place of a window that stopped answering, titled as
// it plus " (Not Responding)"; the hung window itself stays behind it.
const char kGhostClass[] = "Ghost";

bool Skipped(platform::WindowList& windows, platform::WindowHandle window) {
  return windows.Parent(window) != 0  // an owned pop-up
         || windows.ClassName(window) == kGhostClass;
}

// The first window in the list that passes and whose title begins with prefix.
template <typename Pass>
std::string FirstMatch(platform::WindowList& windows,
                       const std::vector<platform::WindowHandle>& list, const std::string& prefix,
                       Pass pass) {
  for (platform::WindowHandle window : list) {
    // The process first, asked without a message: Vigilo's own windows,
    // whose titles would be asked for by a message, are never read.
    if (!pass(windows.ProcessOf(window)) || Skipped(windows, window)) continue;
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

}  // namespace

// By value: the finder works on its own copy of the prefix.
std::string FindServerWindow(platform::WindowList& windows,
                             std::string prefix,  // NOLINT(performance-unnecessary-value-param)
                             const std::vector<uint32_t>& serverPids, std::string* error) {
  // A server that has ended is not kept "up" by another program's window.
  if (serverPids.empty()) return kShutdown;
  std::vector<platform::WindowHandle> list;
  if (!windows.TopLevel(&list, error)) return "";
  auto isServer = [&](uint32_t pid) {
    for (uint32_t server : serverPids)
      if (pid == server) return true;
    return false;
  };
  std::string found = FirstMatch(windows, list, prefix, isServer);
  if (found != kShutdown) return found;
  const uint32_t own = windows.OwnProcess();
  return FirstMatch(windows, list, prefix,
                    [&](uint32_t pid) { return pid != own && pid != 0 && !isServer(pid); });
}

std::string VisibleText(const std::string& status) { return status.substr(0, status.find('\0')); }

}  // namespace supervision
