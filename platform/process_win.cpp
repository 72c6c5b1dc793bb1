#include <windows.h>

#include <vector>

#include "platform/process.h"
#include "platform/shell.h"

namespace platform {

namespace {

HANDLE H(Handle h) { return reinterpret_cast<HANDLE>(h); }
Handle Of(HANDLE h) { return reinterpret_cast<Handle>(h); }

class SystemProcessApi : public ProcessApi {
 public:
  LaunchResult Launch(const std::string& commandLine, int showState) override {
    LaunchResult result;
    // CreateProcess may write into the command line, so it gets a copy.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showState);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info)) {
      result.error = ErrorText(::GetLastError());
      return result;
    }
    ::CloseHandle(info.hThread);
    result.ok = true;
    result.pid = static_cast<int32_t>(info.dwProcessId);
    result.process = Of(info.hProcess);
    return result;
  }

  int32_t GetVersion() override {
#ifdef _MSC_VER
#pragma warning(push)
#pragma warning(disable : 4996)  // deprecated in recent SDKs; its sign is all we need
#endif
    return static_cast<int32_t>(::GetVersion());
#ifdef _MSC_VER
#pragma warning(pop)
#endif
  }

  Handle GetCurrentProcess() override { return Of(::GetCurrentProcess()); }

  bool OpenProcessToken(Handle process, uint32_t access, Handle* token) override {
    HANDLE t = nullptr;
    BOOL ok = ::OpenProcessToken(H(process), access, &t);
    *token = Of(t);
    return ok != FALSE;
  }

  bool LookupPrivilegeValueA(const char* systemName, const char* name, Luid* luid) override {
    LUID value = {};
    if (!::LookupPrivilegeValueA(systemName, name, &value)) return false;
    luid->lowPart = value.LowPart;
    luid->highPart = value.HighPart;
    return true;
  }

  bool AdjustTokenPrivileges(Handle token, bool disableAll,
                             const TokenPrivileges& privileges) override {
    TOKEN_PRIVILEGES set = {};
    set.PrivilegeCount = privileges.privilegeCount;
    set.Privileges[0].Luid.LowPart = privileges.luid.lowPart;
    set.Privileges[0].Luid.HighPart = privileges.luid.highPart;
    set.Privileges[0].Attributes = privileges.attributes;
    return ::AdjustTokenPrivileges(H(token), disableAll, &set, 0, nullptr, nullptr) != FALSE;
  }

  Handle OpenProcess(uint32_t access, bool inherit, int32_t pid) override {
    return Of(::OpenProcess(access, inherit, static_cast<DWORD>(pid)));
  }

  bool TerminateProcess(Handle process, uint32_t exitCode) override {
    return ::TerminateProcess(H(process), exitCode) != FALSE;
  }

  bool CloseHandle(Handle handle) override { return ::CloseHandle(H(handle)) != FALSE; }
};

}  // namespace

std::unique_ptr<ProcessApi> CreateSystemProcessApi() {
  return std::make_unique<SystemProcessApi>();
}

}  // namespace platform
