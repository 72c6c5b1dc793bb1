// In-memory stand-ins for the platform and the window, for the core's tests.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/store.h"
#include "platform/timer.h"
#include "platform/window_list.h"
#include "settings/settings.h"
#include "supervision/supervisor.h"
#include "tests/expected.h"
#include "window/event_log.h"

namespace fakes {

class Store : public platform::SettingsStore {
 public:
  std::map<std::string, std::string> values;  // "app\\section\\key" -> text
  std::set<std::string> refusedKeys;
  std::vector<std::string> writeOrder;

  static std::string Path(const std::string& app, const std::string& section,
                          const std::string& key) {
    return app + "\\" + section + "\\" + key;
  }
  std::map<std::string, std::string> foreignValues;  // key -> description
  std::string Read(const std::string& app, const std::string& section, const std::string& key,
                   const std::string& fallback, std::string* foreign) override {
    auto odd = foreignValues.find(key);
    *foreign = odd == foreignValues.end() ? "" : odd->second;
    if (!foreign->empty()) return fallback;
    auto it = values.find(Path(app, section, key));
    return it == values.end() ? fallback : it->second;
  }
  bool Write(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value, std::string* error) override {
    writeOrder.push_back(key);
    if (refusedKeys.count(key)) {
      *error = "Access is denied.";
      return false;
    }
    values[Path(app, section, key)] = value;
    return true;
  }
};

// Controls that start with the window's design-time contents and record
// every assignment, so tests can see what loading did and in which order.
class View : public settings::SettingsView {
 public:
  std::string texts[settings::kFieldCount];
  int16_t numbers[settings::kFieldCount] = {};
  std::vector<int> assignments;

  std::string Text(int field) const override { return texts[field]; }
  void SetText(int field, const std::string& text) override {
    texts[field] = text;
    assignments.push_back(field);
  }
  int16_t Number(int field) const override { return numbers[field]; }
  void SetNumber(int field, int16_t value) override {
    numbers[field] = value;
    assignments.push_back(field);
  }
  // Every field at its default, as a first start leaves it.
  static View Defaults() {
    View view;
    for (int f = 0; f < settings::kFieldCount; ++f) {
      const expected::FieldDefault& d = expected::kDefaults[f];
      if (d.text)
        view.texts[f] = d.shown;
      else
        view.numbers[f] = d.number;
    }
    return view;
  }
};

class LogList : public window::LogList {
 public:
  std::vector<std::string> lines;
  int selected = -1;
  int Count() const override { return static_cast<int>(lines.size()); }
  void RemoveFirst() override { lines.erase(lines.begin()); }
  void Append(const std::string& line) override { lines.push_back(line); }
  void Select(int index) override { selected = index; }
};

class Timer : public platform::Timer {
 public:
  uint32_t interval = 5000;
  bool enabled = false;
  uint32_t now = 0;     // tests move the clock on
  std::string refusal;  // while set, the system refuses to count, for this reason
  std::vector<std::string> calls;
  bool Start(uint32_t ms, std::string* error) override {
    interval = ms;
    enabled = refusal.empty();
    *error = refusal;
    calls.push_back("start " + std::to_string(ms));
    return enabled;
  }
  void Stop() override {
    enabled = false;
    calls.emplace_back("stop");
  }
  bool Enabled() const override { return enabled; }
  uint32_t Now() const override { return now; }
};

// Top-level windows, front first.
class Windows : public platform::WindowList {
 public:
  static constexpr uint32_t kServerPid = 100;  // the first launch's id (Processes)
  static constexpr uint32_t kVigiloPid = 300;
  struct Window {
    std::string title;
    platform::WindowHandle owner = 0;
    bool gone = false;  // closed after the list was taken
    std::string className = "NWServer";
    uint32_t pid = kServerPid;
  };
  std::vector<Window> windows;  // handle = index + 1
  std::string listError;        // the list cannot be read, for this reason
  std::vector<platform::WindowHandle> titlesRead;

  bool TopLevel(std::vector<platform::WindowHandle>* handles, std::string* error) override {
    handles->clear();
    for (size_t i = 0; i < windows.size(); ++i) handles->push_back(i + 1);
    *error = listError;
    return listError.empty();
  }
  platform::WindowHandle Parent(platform::WindowHandle w) override {
    return Live(w) ? Live(w)->owner : 0;
  }
  int Title(platform::WindowHandle w, char* buffer, int max) override {
    titlesRead.push_back(w);
    if (!Live(w)) return 0;
    const std::string& title = Live(w)->title;
    int n = static_cast<int>(title.size()) < max - 1 ? static_cast<int>(title.size()) : max - 1;
    title.copy(buffer, n);
    buffer[n] = '\0';
    return n;
  }
  std::string ClassName(platform::WindowHandle w) override {
    return Live(w) ? Live(w)->className : "";
  }
  uint32_t ProcessOf(platform::WindowHandle w) override { return Live(w) ? Live(w)->pid : 0; }
  uint32_t OwnProcess() override { return kVigiloPid; }

 private:
  // Null for a window gone, or one not in the list (an owner elsewhere).
  const Window* Live(platform::WindowHandle w) const {
    return w >= 1 && w <= windows.size() && !windows[w - 1].gone ? &windows[w - 1] : nullptr;
  }
};

// Records every platform call by name with its arguments; each answer can
// be set per call name.
class Processes : public platform::ProcessApi {
 public:
  std::vector<std::string> calls;
  int32_t version = 0x0A280105;  // NT family: top bit clear
  bool tokenOk = true, lookupOk = true, adjustOk = true, terminateOk = true;
  bool launchOk = true;
  std::string launchError = "The system cannot find the file specified.";
  int32_t nextPid = 100;
  std::vector<std::string> launchedLines;
  std::set<platform::Handle> openHandles;
  std::set<int32_t> terminated;
  platform::Handle nextHandle = 1000;
  std::map<platform::Handle, int32_t> handlePid;
  std::set<int32_t> exited;  // ended by themselves
  // With jobs on, each launch gets one, holding the launch; tests add the
  // processes it starts.
  bool jobs = false;
  std::string jobError;  // its processes cannot be listed, for this reason
  std::map<platform::Handle, std::vector<uint32_t>> jobProcesses;

  platform::LaunchResult Launch(const std::string& line, int show) override {
    calls.push_back("Launch show=" + std::to_string(show));
    launchedLines.push_back(line);
    platform::LaunchResult r;
    if (!launchOk) {
      r.error = launchError;
      return r;
    }
    r.ok = true;
    r.pid = nextPid++;
    r.process = Own(NewHandle(r.pid));
    if (jobs) {
      r.job = Own(NewHandle(-r.pid));
      jobProcesses[r.job.get()] = {static_cast<uint32_t>(r.pid)};
    }
    return r;
  }
  bool Running(platform::Handle process) override {
    int32_t pid = handlePid[process];
    return !exited.count(pid) && !terminated.count(pid);
  }
  bool JobProcesses(platform::Handle job, std::vector<uint32_t>* ids, std::string* error) override {
    *ids = jobProcesses[job];
    *error = jobError;
    return jobError.empty();
  }
  bool TerminateJobObject(platform::Handle job, uint32_t exitCode) override {
    calls.push_back("TerminateJobObject " + std::to_string(exitCode));
    if (!terminateOk) return false;
    for (uint32_t pid : jobProcesses[job]) terminated.insert(static_cast<int32_t>(pid));
    jobProcesses[job].clear();
    return true;
  }
  int32_t GetVersion() override {
    calls.emplace_back("GetVersion");
    return version;
  }
  platform::Handle GetCurrentProcess() override {
    calls.emplace_back("GetCurrentProcess");
    return 0x7777;  // stands for the pseudo-handle
  }
  bool OpenProcessToken(platform::Handle process, uint32_t access,
                        platform::Handle* token) override {
    calls.push_back("OpenProcessToken " + Hex(process) + " " + Hex(access));
    if (!tokenOk) return false;
    *token = NewHandle(0);
    return true;
  }
  bool LookupPrivilegeValueA(const char* system, const char* name, platform::Luid* luid) override {
    calls.push_back(std::string("LookupPrivilegeValueA \"") + system + "\" " + name);
    if (!lookupOk) return false;
    luid->lowPart = 20;
    return true;
  }
  bool AdjustTokenPrivileges(platform::Handle, bool disableAll,
                             const platform::TokenPrivileges& p) override {
    calls.push_back("AdjustTokenPrivileges disableAll=" + std::to_string(disableAll) + " count=" +
                    std::to_string(p.privilegeCount) + " luid=" + std::to_string(p.luid.lowPart) +
                    " attributes=" + std::to_string(p.attributes));
    return adjustOk;
  }
  platform::Handle OpenProcess(uint32_t access, bool inherit, int32_t pid) override {
    calls.push_back("OpenProcess " + Hex(access) + " " + std::to_string(inherit) + " " +
                    std::to_string(pid));
    return pid == 0 ? 0 : NewHandle(pid);
  }
  bool TerminateProcess(platform::Handle process, uint32_t exitCode) override {
    calls.push_back("TerminateProcess " + std::to_string(handlePid[process]) + " " +
                    std::to_string(exitCode));
    if (terminateOk) terminated.insert(handlePid[process]);
    return terminateOk;
  }
  bool CloseHandle(platform::Handle h) override {
    const int32_t pid = handlePid[h];
    calls.push_back("CloseHandle " + std::string(pid > 0 ? "process" : pid < 0 ? "job" : "token"));
    return openHandles.erase(h) == 1;
  }

 private:
  platform::Handle NewHandle(int32_t pid) {
    platform::Handle h = nextHandle++;
    openHandles.insert(h);
    handlePid[h] = pid;
    return h;
  }
  static std::string Hex(uint64_t v) {
    char buf[32];
    snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(v));
    return buf;
  }
};

class Host : public supervision::Host {
 public:
  std::string commandLine = "nwserver -servername \"My Server\"";
  std::string serverName = "My Server";
  LogList log;
  std::string CommandLine() const override { return commandLine; }
  std::string ServerName() const override { return serverName; }
  void LogEvent(const std::string& text) override { window::LogEvent(log, text); }
};

}  // namespace fakes
