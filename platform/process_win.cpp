#include <windows.h>

#include <vector>

#include "platform/handles_win.h"
#include "platform/process.h"
#include "platform/shell.h"

namespace platform {

namespace {

HANDLE H(Handle h) { return reinterpret_cast<HANDLE>(h); }
Handle Of(HANDLE h) { return reinterpret_cast<Handle>(h); }

// The job functions came with Windows 2000: 9x and NT 4.0 have none of them.
struct JobCalls {
  using CreateFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPCSTR);
  using AssignFn = BOOL(WINAPI*)(HANDLE, HANDLE);
  using QueryFn = BOOL(WINAPI*)(HANDLE, JOBOBJECTINFOCLASS, LPVOID, DWORD, LPDWORD);
  using SetFn = BOOL(WINAPI*)(HANDLE, JOBOBJECTINFOCLASS, LPVOID, DWORD);
  using TerminateFn = BOOL(WINAPI*)(HANDLE, UINT);
  CreateFn create = nullptr;
  AssignFn assign = nullptr;
  QueryFn query = nullptr;
  SetFn set = nullptr;
  TerminateFn terminate = nullptr;

  static JobCalls OfKernel() {
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    JobCalls calls;
    calls.create = Proc<CreateFn>(kernel, "CreateJobObjectA");
    calls.assign = Proc<AssignFn>(kernel, "AssignProcessToJobObject");
    calls.query = Proc<QueryFn>(kernel, "QueryInformationJobObject");
    calls.set = Proc<SetFn>(kernel, "SetInformationJobObject");
    calls.terminate = Proc<TerminateFn>(kernel, "TerminateJobObject");
    if (!calls.create || !calls.assign || !calls.query || !calls.set || !calls.terminate)
      return JobCalls();
    return calls;
  }
  bool available() const { return create != nullptr; }
};

BOOL WINAPI RefuseAssignment(HANDLE, HANDLE) {
  ::SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

class SystemProcessApi : public ProcessApi {
 public:
  explicit SystemProcessApi(const JobCalls& jobs) : jobs_(jobs) {}

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
    // Normal priority whatever Vigilo's own: Task Scheduler starts it below
    // normal, and a child inherits that unless told. Suspended until it is in
    // the server's job, so that nothing it starts escapes; out of any job
    // Vigilo runs in where that job allows it (before Windows 8 a process is
    // in one job only, and from 8 on ending Vigilo's job would end the server).
    DWORD flags = NORMAL_PRIORITY_CLASS;
    if (jobs_.available()) flags |= CREATE_SUSPENDED | CREATE_BREAKAWAY_FROM_JOB;
    auto create = [&](DWORD with) {
      return ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, with, nullptr, nullptr,
                              &startup, &info) != FALSE;
    };
    const DWORD breakaway = flags & CREATE_BREAKAWAY_FROM_JOB;
    if (!create(flags) &&
        !(breakaway && ::GetLastError() == ERROR_ACCESS_DENIED && create(flags & ~breakaway))) {
      result.error = ErrorText(::GetLastError());
      return result;
    }
    const UniqueHandle thread(info.hThread);
    if (jobs_.available()) {
      // No kill-on-close: the server outlives Vigilo. Breakaway allowed, so
      // that a server which starts a program out of its job still can; one
      // that cannot be allowed it is still followed. A job that cannot be
      // made or joined leaves the one process watched.
      UniqueHandle job(jobs_.create(nullptr, nullptr));
      if (job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
        jobs_.set(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
        if (jobs_.assign(job.get(), info.hProcess)) result.job = Own(Of(job.release()));
      }
      ::ResumeThread(thread.get());
    }
    result.ok = true;
    result.pid = static_cast<int32_t>(info.dwProcessId);
    result.process = Own(Of(info.hProcess));
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

  bool Running(Handle process) override {
    return ::WaitForSingleObject(H(process), 0) == WAIT_TIMEOUT;
  }

  bool JobProcesses(Handle job, std::vector<uint32_t>* ids, std::string* error) override {
    ids->clear();
    // Room for the ids, grown while processes join between two asks. A
    // buffer too small may also be answered with a short list.
    std::vector<ULONG_PTR> buffer(2 + 16);
    for (int ask = 0; ask < 16; ++ask) {
      auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
      const auto size = static_cast<DWORD>(buffer.size()) * DWORD{sizeof(ULONG_PTR)};
      if (jobs_.query(H(job), JobObjectBasicProcessIdList, list, size, nullptr)) {
        if (list->NumberOfProcessIdsInList >= list->NumberOfAssignedProcesses) {
          for (DWORD i = 0; i < list->NumberOfProcessIdsInList; ++i)
            ids->push_back(static_cast<uint32_t>(list->ProcessIdList[i]));
          return true;
        }
      } else if (const DWORD code = ::GetLastError(); code != ERROR_MORE_DATA) {
        *error = ErrorText(code);
        return false;
      }
      buffer.resize(2 + list->NumberOfAssignedProcesses + buffer.size());
    }
    *error = "The server's processes kept changing while they were listed.";
    return false;
  }

  bool TerminateJobObject(Handle job, uint32_t exitCode) override {
    return jobs_.terminate(H(job), exitCode) != FALSE;
  }

 private:
  JobCalls jobs_;
};

}  // namespace

std::unique_ptr<ProcessApi> CreateSystemProcessApi() {
  return std::make_unique<SystemProcessApi>(JobCalls::OfKernel());
}

std::unique_ptr<ProcessApi> CreateSystemProcessApiRefusingJobs() {
  JobCalls calls = JobCalls::OfKernel();
  if (calls.available()) calls.assign = RefuseAssignment;
  return std::make_unique<SystemProcessApi>(calls);
}

}  // namespace platform
