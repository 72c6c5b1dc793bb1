// Drives the real vigilo.exe from outside, as an operator would: its window is
// found by process, controls are read with WM_GETTEXT, pressed with BM_CLICK.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/win_helpers.h"

namespace blackbox {

// What stands as "nwserver.exe" in the folder.
enum class Server : std::uint8_t { StandIn, None, Folder, HiddenFile };

struct Options {
  std::string folder;  // made fresh under the scratch folder
  std::string exeName = "vigilo.exe";
  Server server = Server::StandIn;
  std::map<std::string, std::string> env;  // added to the inherited environment
  std::string program = VIGILO_EXE;        // copied in as exeName
};

std::string FolderPath(const std::string& folder);

// Polls until done() or the timeout; true when done.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs, DWORD stepMs = 100);

// An environment variable's text, empty when unset; as a number, fallback
// when unset.
std::string EnvText(const char* name);
int EnvInt(const char* name, int fallback);

// VIGILO_TIME_SCALE: how much slower than here this machine runs (1 unless told).
DWORD Scaled(DWORD ms);

// The bytes of a file another process wrote; empty when there is none.
std::string FileText(const std::string& path);

std::string ToAnsi(const std::wstring& text);
std::wstring ToWide(const std::string& text);

// Text of any window, also of another process's controls.
std::string TextOf(HWND window);
void SetTextOf(HWND window, const std::string& text);

class Vigilo {
 public:
  explicit Vigilo(const Options& options);
  ~Vigilo();
  Vigilo(const Vigilo&) = delete;
  Vigilo& operator=(const Vigilo&) = delete;

  bool started() const { return static_cast<bool>(process_); }
  DWORD pid() const { return process_.pid(); }
  HANDLE process() const { return process_.process(); }
  const std::string& folder() const { return folder_; }

  // The main window, once shown; null if it does not come within the timeout.
  // Generous: on an emulated CPU beside other tests a Wine process can take
  // over 15 s to show its first window.
  HWND WaitForMainWindow(DWORD timeoutMs = Scaled(60000));
  HWND main() const { return main_; }
  HWND Control(int id) const { return ::GetDlgItem(main_, id); }
  HWND Control(const char* name) const;

  std::string Cmd() const;
  std::vector<std::string> Log() const;
  std::vector<std::string> LogTail(int lines) const;  // the newest lines only
  int LogCount() const;
  int LogSelection() const;
  void Click(const char* name) const;
  void Type(const char* name, const std::string& text) const;

  // The watchdog looks now: its timer's tick, sent to the window.
  void Tick() const;
  // Waits for the look that the watchdog's own timer makes dueMs after *since
  // (GetTickCount) and for the log to hold `lines` lines then. Fails as soon
  // as the look is overdue, and on a look that came early; on success *since
  // is the look's time, from which the next one is due.
  testing::AssertionResult WaitForLook(int lines, DWORD* since, DWORD dueMs) const;

  bool Exited(DWORD timeoutMs) const;
  void Close();

 private:
  std::string folder_;
  wintest::Started process_;
  HWND main_ = nullptr;
};

// The probe DLL, hooked into Vigilo's thread for as long as this lives.
class Probe {
 public:
  explicit Probe(const Vigilo& vigilo);
  ~Probe();
  Probe(const Probe&) = delete;
  Probe& operator=(const Probe&) = delete;
  // Posts the registered message; the lines of the file the probe writes.
  std::vector<std::string> Ask(const char* message, const char* file,
                               DWORD timeoutMs = 10000) const;

 private:
  const Vigilo& vigilo_;
  HMODULE dll_ = nullptr;
  HHOOK hook_ = nullptr;
};

std::string ClassOf(HWND window);

// A window's children, first to last.
std::vector<HWND> Children(HWND parent);

// A top-level window's title, read without a message: another test's server
// may be frozen.
std::string TitleOf(HWND window);

// The stand-in servers' windows for a server name, front first; the first or null.
std::vector<HWND> StandInWindows(const std::string& serverName);
HWND StandInWindow(const std::string& serverName);

DWORD ProcessOf(HWND window);

// A process of the test's to wait on, query or end; empty once it is gone.
platform::UniqueHandle OpenProcessOf(DWORD pid);
// Ends a process with exitCode: true once it was asked to, or with waitMs,
// once it has ended within that.
bool EndProcess(DWORD pid, UINT exitCode, DWORD waitMs = 0);

// The server dies, as a crash ends it: true once its window has gone with it.
// (Closed by WM_CLOSE, a process takes Wine two seconds to end.)
bool EndServer(HWND window);

// A window of the test's own, shown on top of all others without taking the
// activation: another program's, to Vigilo. Its thread pumps no messages.
HWND OtherProgramWindow(const std::string& title);

// The servers that a Vigilo process launched and that still run.
std::vector<DWORD> ServersLaunchedBy(DWORD vigilo);

// Suspends or resumes every thread of a process: a machine asleep, a hung
// program, as Windows would leave them.
void Freeze(DWORD pid, bool frozen);

// Top-level windows of a process, visible or not.
std::vector<HWND> TopLevelWindows(DWORD pid);

// The value stored under HKCU\Software\VB and VBA Program Settings\<app>\s1.
bool ReadStored(const std::string& app, const char* key, std::wstring* value);
void DeleteStored(const std::string& app);
void WriteStored(const std::string& app, const char* key, const std::wstring& value);

}  // namespace blackbox
