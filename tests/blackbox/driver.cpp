#include "driver.h"

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "window/form1_win.h"
#include "window/layout.h"

namespace blackbox {

namespace {

bool Copy(const std::string& from, const std::string& to) {
  return ::CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = path + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(child.c_str());
      }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
  }
  ::RemoveDirectoryA(path.c_str());
}

std::vector<char> EnvironmentWith(const std::map<std::string, std::string>& extra) {
  std::map<std::string, std::string> all;
  char* block = ::GetEnvironmentStringsA();
  for (const char* p = block; *p; p += strlen(p) + 1) {
    std::string entry = p;
    size_t eq = entry.find('=', 1);
    if (eq != std::string::npos) all[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  ::FreeEnvironmentStringsA(block);
  for (const auto& kv : extra) all[kv.first] = kv.second;
  std::vector<char> out;
  for (const auto& kv : all) {
    std::string entry = kv.first + "=" + kv.second;
    out.insert(out.end(), entry.begin(), entry.end());
    out.push_back('\0');
  }
  out.push_back('\0');
  return out;
}

// Runs meant for the Windows 9x code path and a Cyrillic code page stop
// unless Wine reports a Russian Windows 98.
class Win98Check : public testing::Environment {
 public:
  void SetUp() override {
    if (std::getenv("VIGILO_EXPECT_WIN98")) {
      ASSERT_EQ(::GetVersion(), 0xC0000A04u) << "this prefix does not report Windows 98";
      ASSERT_EQ(::GetACP(), 1251u) << "this prefix's code page is not Cyrillic";
    }
  }
};
testing::Environment* const win98Check = testing::AddGlobalTestEnvironment(new Win98Check);

}  // namespace

std::string FolderPath(const std::string& folder) {
  // The Windows 98 runs go on beside the others, in folders of their own.
  const std::string scratch =
      std::string(SCRATCH_DIR) + (std::getenv("VIGILO_EXPECT_WIN98") ? "98" : "");
  ::CreateDirectoryA(scratch.c_str(), nullptr);
  return scratch + "\\" + folder;
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs, DWORD stepMs) {
  DWORD start = ::GetTickCount();
  for (;;) {
    if (done()) return true;
    if (::GetTickCount() - start > timeoutMs) return false;
    ::Sleep(stepMs);
  }
}

std::string EnvText(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

int EnvInt(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value ? std::atoi(value) : fallback;
}

DWORD Scaled(DWORD ms) {
  const int scale = EnvInt("VIGILO_TIME_SCALE", 1);
  return scale > 1 ? ms * static_cast<DWORD>(scale) : ms;
}

std::string FileText(const std::string& path) {
  std::string text;
  if (FILE* in = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) text.append(buffer, n);
    std::fclose(in);
  }
  return text;
}

std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) return "";
  int n = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
  std::string out(n, '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr,
                        nullptr);
  return out;
}

std::wstring ToWide(const std::string& text) {
  if (text.empty()) return L"";
  int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(n, L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
  return out;
}

std::string TextOf(HWND window) {
  DWORD_PTR length = 0;
  ::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  ::SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]),
                        SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(copied);
  return ToAnsi(text);
}

void SetTextOf(HWND window, const std::string& text) {
  std::wstring wide = ToWide(text);
  DWORD_PTR result = 0;
  ::SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()),
                        SMTO_ABORTIFHUNG, 5000, &result);
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> found;
  for (HWND c = ::GetWindow(parent, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
    found.push_back(c);
  return found;
}

std::string TitleOf(HWND window) {
  wchar_t title[256] = {};
  ::GetWindowTextW(window, title, 256);
  return ToAnsi(title);
}

std::vector<HWND> StandInWindows(const std::string& serverName) {
  const std::string prefix = "NWServer - " + serverName + " ";
  std::vector<HWND> windows;
  for (HWND w = ::FindWindowW(L"NWStandInServer", nullptr); w;
       w = ::FindWindowExW(nullptr, w, L"NWStandInServer", nullptr))
    if (TitleOf(w).rfind(prefix, 0) == 0) windows.push_back(w);
  return windows;
}

HWND StandInWindow(const std::string& serverName) {
  std::vector<HWND> windows = StandInWindows(serverName);
  return windows.empty() ? nullptr : windows[0];
}

namespace {

struct WindowSearch {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND w, LPARAM lp) {
  auto* search = reinterpret_cast<WindowSearch*>(lp);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(w, &owner);
  if (owner == search->pid) search->found.push_back(w);
  return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD pid) {
  WindowSearch search{pid, {}};
  ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  return pid;
}

platform::UniqueHandle OpenProcessOf(DWORD pid) {
  return platform::UniqueHandle(
      ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, pid));
}

bool EndProcess(DWORD pid, UINT exitCode, DWORD waitMs) {
  const platform::UniqueHandle process = OpenProcessOf(pid);
  if (!process || !::TerminateProcess(process.get(), exitCode)) return false;
  return waitMs == 0 || ::WaitForSingleObject(process.get(), waitMs) == WAIT_OBJECT_0;
}

bool EndServer(HWND window) {
  if (!EndProcess(ProcessOf(window), 3)) return false;
  return WaitFor([&] { return !::IsWindow(window); }, Scaled(10000), 5);
}

HWND OtherProgramWindow(const std::string& title) {
  HWND w = ::CreateWindowExA(WS_EX_TOPMOST, "STATIC", title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 300,
                             100, nullptr, nullptr, nullptr, nullptr);
  ::ShowWindow(w, SW_SHOWNOACTIVATE);
  return w;
}

std::vector<DWORD> ServersLaunchedBy(DWORD vigilo) {
  std::vector<DWORD> servers;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot, &entry); more;
       more = ::Process32Next(snapshot, &entry))
    if (entry.th32ParentProcessID == vigilo && ::lstrcmpiA(entry.szExeFile, "nwserver.exe") == 0)
      servers.push_back(entry.th32ProcessID);
  ::CloseHandle(snapshot);
  return servers;
}

void Freeze(DWORD pid, bool frozen) {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Thread32First(snapshot, &entry); more;
       more = ::Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != pid) continue;
    if (HANDLE thread = ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID)) {
      if (frozen)
        ::SuspendThread(thread);
      else
        ::ResumeThread(thread);
      ::CloseHandle(thread);
    }
  }
  ::CloseHandle(snapshot);
}

Vigilo::Vigilo(const Options& options) : folder_(FolderPath(options.folder)) {
  RemoveTree(folder_);
  ::CreateDirectoryA(folder_.c_str(), nullptr);
  std::string exe = folder_ + "\\" + options.exeName;
  if (!Copy(options.program, exe)) return;
  std::string server = folder_ + "\\nwserver.exe";
  switch (options.server) {
    case Server::StandIn:
      if (!Copy(STANDIN_EXE, server)) return;
      break;
    case Server::Folder:
      ::CreateDirectoryA(server.c_str(), nullptr);
      break;
    case Server::HiddenFile:
      if (!Copy(STANDIN_EXE, server)) return;
      ::SetFileAttributesA(server.c_str(), FILE_ATTRIBUTE_HIDDEN);
      break;
    case Server::None:
      break;
  }
  std::vector<char> env = EnvironmentWith(options.env);
  process_ = wintest::Started("\"" + exe + "\"", exe.c_str(), folder_.c_str(), env.data());
}

Vigilo::~Vigilo() {
  if (!process_) return;
  ::TerminateProcess(process(), 0);
  ::WaitForSingleObject(process(), 5000);
  // And every server it launched: after a failed test one left running would
  // hold the runner's output open, and the failure would show only at its time bound.
  for (DWORD server : ServersLaunchedBy(pid())) EndProcess(server, 0);
}

HWND Vigilo::WaitForMainWindow(DWORD timeoutMs) {
  WaitFor(
      [&] {
        for (HWND w : TopLevelWindows(pid()))
          if (::IsWindowVisible(w) && TextOf(w) == "Vigilo v1.0 by Valmo") main_ = w;
        return main_ != nullptr;
      },
      timeoutMs);
  return main_;
}

HWND Vigilo::Control(const char* name) const {
  const window::ControlSpec* spec = window::FindControl(name);
  return spec ? Control(spec->id) : nullptr;
}

std::string Vigilo::Cmd() const { return TextOf(Control("cmd")); }

std::vector<std::string> Vigilo::Log() const { return LogTail(LogCount()); }

int Vigilo::LogCount() const {
  return static_cast<int>(::SendMessageW(Control("List1"), LB_GETCOUNT, 0, 0));
}

std::vector<std::string> Vigilo::LogTail(int lines) const {
  HWND list = Control("List1");
  std::vector<std::string> tail;
  const LRESULT count = LogCount();
  for (LRESULT i = lines < count ? count - lines : 0; i < count; ++i) {
    LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT got = ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                                 reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got < 0 ? 0 : static_cast<size_t>(got));
    tail.push_back(ToAnsi(text));
  }
  return tail;
}

int Vigilo::LogSelection() const {
  return static_cast<int>(::SendMessageW(Control("List1"), LB_GETCURSEL, 0, 0));
}

void Vigilo::Click(const char* name) const {
  DWORD_PTR result = 0;
  ::SendMessageTimeoutW(Control(name), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 10000, &result);
}

void Vigilo::Type(const char* name, const std::string& text) const {
  for (wchar_t ch : ToWide(text)) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(Control(name), WM_CHAR, ch, 1, SMTO_ABORTIFHUNG, 5000, &result);
  }
}

void Vigilo::Tick() const {
  DWORD_PTR result = 0;
  ::SendMessageTimeoutW(main_, WM_TIMER, window::kTimer1Id, 0, SMTO_ABORTIFHUNG, 30000, &result);
}

testing::AssertionResult Vigilo::WaitForLook(int lines, DWORD* since, DWORD dueMs) const {
  // The timer's tick waits for the thread, and a busy machine is slow to run it.
  const DWORD early = 1000, late = Scaled(5000);
  WaitFor([&] { return LogCount() >= lines || ::GetTickCount() - *since > dueMs + late; },
          dueMs + late + 1000);
  const DWORD after = ::GetTickCount() - *since;
  if (LogCount() < lines)
    return testing::AssertionFailure()
           << "no look " << dueMs + late << " ms on: " << LogCount() << " of " << lines << " lines";
  if (after + early < dueMs)
    return testing::AssertionFailure() << "a look after " << after << " ms, due after " << dueMs;
  *since += after;
  return testing::AssertionSuccess();
}

bool Vigilo::Exited(DWORD timeoutMs) const {
  return ::WaitForSingleObject(process(), timeoutMs) == WAIT_OBJECT_0;
}

void Vigilo::Close() {
  DWORD_PTR result = 0;
  ::SendMessageTimeoutW(main_, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
}

Probe::Probe(const Vigilo& vigilo) : vigilo_(vigilo), dll_(::LoadLibraryA(PROBE_DLL)) {
  // The 32-bit export carries its stdcall decoration.
  FARPROC proc = dll_ ? ::GetProcAddress(dll_, "ProbeHook@12") : nullptr;
  if (dll_ && !proc) proc = ::GetProcAddress(dll_, "ProbeHook");
  DWORD thread = ::GetWindowThreadProcessId(vigilo.main(), nullptr);
  if (proc)
    hook_ = ::SetWindowsHookExA(WH_GETMESSAGE,
                                reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(proc)),
                                dll_, thread);
}

Probe::~Probe() {
  if (hook_) ::UnhookWindowsHookEx(hook_);
  if (dll_) ::FreeLibrary(dll_);
}

std::vector<std::string> Probe::Ask(const char* message, const char* file, DWORD timeoutMs) const {
  const std::string path = vigilo_.folder() + "\\" + file;
  ::DeleteFileA(path.c_str());
  ::PostMessageA(vigilo_.main(), ::RegisterWindowMessageA(message), 0, 0);
  WaitFor([&] { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; },
          Scaled(timeoutMs));
  std::vector<std::string> lines;
  std::istringstream text(FileText(path));
  for (std::string line; std::getline(text, line);)
    lines.push_back(line.substr(0, line.find('\r')));
  return lines;
}

bool ReadStored(const std::string& app, const char* key, std::wstring* value) {
  DWORD type = 0;
  return wintest::ReadStoredValue(app, key, value, &type) && type == REG_SZ;
}

void DeleteStored(const std::string& app) { wintest::DeleteStored(app); }

void WriteStored(const std::string& app, const char* key, const std::wstring& value) {
  platform::UniqueKey k;
  ::RegCreateKeyExA(HKEY_CURRENT_USER, wintest::StoredKey(app).c_str(), 0, nullptr, 0,
                    KEY_SET_VALUE, nullptr, k.put(), nullptr);
  ::RegSetValueExW(k.get(), ToWide(key).c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(value.c_str()),
                   (static_cast<DWORD>(value.size()) + 1) * sizeof(wchar_t));
}

}  // namespace blackbox
