// The on-screen event log: plain lines, at most 1001, the newest selected.
#pragma once

#include <string>

namespace window {

constexpr int kLogTrimAbove = 1000;

class LogList {
 public:
  virtual ~LogList() = default;
  virtual int Count() const = 0;
  virtual void RemoveFirst() = 0;
  virtual void Append(const std::string& line) = 0;
  virtual void Select(int index) = 0;  // highlights and scrolls into view
};

// Text is shown up to its first NUL.
void LogEvent(LogList& list, const std::string& text);

}  // namespace window
