// What the Windows-side tests share: starting a process and owning it, its
// exit code, the stand-in's command line, and the settings Vigilo stored,
// read straight from the registry.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/handles_win.h"

namespace wintest {

// A process a test started, ended and released with its owner, so that a
// failed assertion leaves none behind.
class Started {
 public:
  Started() = default;
  // Runs line; exe, folder and env (an environment block) when given.
  explicit Started(std::string line, const char* exe = nullptr, const char* folder = nullptr,
                   void* env = nullptr) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(exe, &line[0], nullptr, nullptr, FALSE, 0, env, folder, &si, &pi)) return;
    ::CloseHandle(pi.hThread);
    process_.reset(pi.hProcess);
    pid_ = pi.dwProcessId;
  }
  ~Started() {
    if (process_) ::TerminateProcess(process_.get(), 0);
  }
  Started(Started&&) noexcept = default;
  Started& operator=(Started&& other) noexcept {
    if (process_) ::TerminateProcess(process_.get(), 0);
    process_ = std::move(other.process_);
    pid_ = other.pid_;
    return *this;
  }
  explicit operator bool() const { return static_cast<bool>(process_); }
  HANDLE process() const { return process_.get(); }
  DWORD pid() const { return pid_; }

 private:
  platform::UniqueHandle process_;
  DWORD pid_ = 0;
};

// The exit code once the process has ended, STILL_ACTIVE if it does not in time.
inline DWORD ExitCodeAfter(HANDLE process, DWORD timeoutMs) {
  DWORD code = STILL_ACTIVE;
  if (::WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0)
    ::GetExitCodeProcess(process, &code);
  return code;
}

#ifdef STANDIN_EXE
// The stand-in server's command line for a server name.
inline std::string StandIn(const std::string& name) {
  return std::string("\"") + STANDIN_EXE + "\" -servername \"" + name + "\"";
}
#endif

// Where Vigilo named app keeps its settings, under HKEY_CURRENT_USER.
inline std::string StoredKey(const std::string& app) {
  return "Software\\VB and VBA Program Settings\\" + app + "\\s1";
}

// A value stored for app, of any type, with its type; false when there is none.
inline bool ReadStoredValue(const std::string& app, const char* key, std::wstring* value,
                            DWORD* type) {
  platform::UniqueKey k;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, StoredKey(app).c_str(), 0, KEY_QUERY_VALUE, k.put()) !=
      ERROR_SUCCESS)
    return false;
  std::vector<wchar_t> buffer(1024);
  DWORD size = static_cast<DWORD>(buffer.size() - 1) * DWORD{sizeof(wchar_t)};
  const std::wstring name(key, key + std::char_traits<char>::length(key));
  if (::RegQueryValueExW(k.get(), name.c_str(), nullptr, type,
                         reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
    return false;
  *value = buffer.data();
  return true;
}

// Removes a registry key with everything under it; false if some stays.
inline bool DeleteKeyTree(HKEY root, const std::string& path) {
  {
    platform::UniqueKey k;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, k.put()) != ERROR_SUCCESS) return true;
    char name[256];
    DWORD size = sizeof name;
    while (::RegEnumKeyExA(k.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS) {
      if (!DeleteKeyTree(root, path + "\\" + name)) return false;
      size = sizeof name;
    }
  }
  return ::RegDeleteKeyA(root, path.c_str()) == ERROR_SUCCESS;
}

// Removes every setting stored for app.
inline void DeleteStored(const std::string& app) {
  DeleteKeyTree(HKEY_CURRENT_USER, "Software\\VB and VBA Program Settings\\" + app);
}

}  // namespace wintest
