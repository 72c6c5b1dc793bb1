// Launching the server, following the processes it starts, and terminating
// them with the debug privilege.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/unique.h"

namespace platform {

// An opaque kernel handle; 0 is none.
using Handle = std::uintptr_t;

class ProcessApi;

// Closes through the process service that opened the handle. Only the
// service makes one that closes (Own), so no owner is filled without it.
class CloseThroughService : public NullOrInvalidIsNone {
 public:
  explicit CloseThroughService(ProcessApi& service) noexcept : service_(&service) {}
  void operator()(Handle handle) const noexcept;

 private:
  friend class Unique<Handle, CloseThroughService>;  // an empty owner's
  CloseThroughService() noexcept = default;
  ProcessApi* service_ = nullptr;
};
using OwnedHandle = Unique<Handle, CloseThroughService>;

struct Luid {
  uint32_t lowPart = 0;
  int32_t highPart = 0;
};

// The token-privileges record with its one entry.
struct TokenPrivileges {
  uint32_t privilegeCount = 0;
  Luid luid;
  uint32_t attributes = 0;
};

constexpr uint32_t kTokenAdjustAndQuery = 0x28;  // TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY
constexpr uint32_t kProcessAllAccess = 0x1F0FFF;
constexpr uint32_t kPrivilegeEnabled = 2;
constexpr uint32_t kPrivilegeDisabled = 0;
constexpr int kShowNormal = 1;

struct LaunchResult {
  bool ok = false;
  int32_t pid = 0;
  OwnedHandle process;  // keeps the id from being reused
  // The job that holds the process and every process it starts. None where
  // jobs cannot be used (9x, NT 4.0, a job that refuses).
  OwnedHandle job;
  std::string error;  // the system's reason, when !ok
};

class ProcessApi {
 public:
  virtual ~ProcessApi() = default;
  // Runs the whole command line as a new process with the given show state.
  virtual LaunchResult Launch(const std::string& commandLine, int showState) = 0;

  virtual int32_t GetVersion() = 0;
  virtual Handle GetCurrentProcess() = 0;
  virtual bool OpenProcessToken(Handle process, uint32_t access, Handle* token) = 0;
  virtual bool LookupPrivilegeValueA(const char* systemName, const char* name, Luid* luid) = 0;
  virtual bool AdjustTokenPrivileges(Handle token, bool disableAll,
                                     const TokenPrivileges& privileges) = 0;
  virtual Handle OpenProcess(uint32_t access, bool inherit, int32_t pid) = 0;
  virtual bool TerminateProcess(Handle process, uint32_t exitCode) = 0;
  virtual bool CloseHandle(Handle handle) = 0;

  // False once the process has ended.
  virtual bool Running(Handle process) = 0;
  // The ids of the processes in the job that still run; false, with the
  // system's reason, when they cannot be listed.
  virtual bool JobProcesses(Handle job, std::vector<uint32_t>* ids, std::string* error) = 0;
  virtual bool TerminateJobObject(Handle job, uint32_t exitCode) = 0;

  // The owner of a handle this service opened.
  OwnedHandle Own(Handle handle) noexcept {
    return OwnedHandle(handle, CloseThroughService(*this));
  }
};

inline void CloseThroughService::operator()(Handle handle) const noexcept {
  service_->CloseHandle(handle);
}

// The system's own process and token calls.
std::unique_ptr<ProcessApi> CreateSystemProcessApi();
// The same, with a job that refuses every process, as a job Vigilo itself
// runs in may make it on Vista and 7: launches fall back to one process.
std::unique_ptr<ProcessApi> CreateSystemProcessApiRefusingJobs();

}  // namespace platform
