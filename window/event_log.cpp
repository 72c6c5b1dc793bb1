#include "window/event_log.h"

namespace window {

void LogEvent(LogList& list, const std::string& text) {
  // Trimming before the add lets the log settle at 1001 lines, not 1000.
  if (list.Count() > kLogTrimAbove) list.RemoveFirst();
  list.Append(text.substr(0, text.find('\0')));
  list.Select(list.Count() - 1);
}

}  // namespace window
