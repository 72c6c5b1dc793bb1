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

// Reads window's title into a fresh buffer: the whole buffer when it begins
// with prefix. A window gone since the list was taken reads as no title.
bool Matches(platform::WindowList& windows, platform::WindowHandle window,
             const std::string& prefix, std::string* buffer) {
  // Fresh blanks for every window: the filler after the NUL is part of the status.
  buffer->assign(kTitleBufferLength, ' ');
  int copied = windows.Title(window, &(*buffer)[0], kTitleBufferLength);
  return copied != 0 && prefix.size() <= buffer->size() &&
         buffer->compare(0, prefix.size(), prefix) == 0;
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
  // Processes are asked first, without a message, so that no window of
  // Vigilo's own or of an unrelated program is ever read.
  std::string buffer;
  for (platform::WindowHandle window : list)
    if (isServer(windows.ProcessOf(window)) && !Skipped(windows, window) &&
        Matches(windows, window, prefix, &buffer))
      return buffer;
  // A console server in a terminal has no titled window: the console host
  // gives it an untitled pop-up owned by the terminal's window, which has the title.
  const uint32_t own = windows.OwnProcess();
  for (platform::WindowHandle window : list) {
    if (!isServer(windows.ProcessOf(window))) continue;
    const platform::WindowHandle owner = windows.Parent(window);
    if (owner == 0) continue;
    const uint32_t pid = windows.ProcessOf(owner);
    if (pid != 0 && pid != own && !isServer(pid) && Matches(windows, owner, prefix, &buffer))
      return buffer;
  }
  return kShutdown;
}

std::string VisibleText(const std::string& status) { return status.substr(0, status.find('\0')); }

}  // namespace supervision
