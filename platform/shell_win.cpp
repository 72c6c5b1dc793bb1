#include <windows.h>

#include "platform/handles_win.h"
#include "platform/shell.h"

namespace platform {

bool PlainFileInCurrentDirectory(const std::string& name) {
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA(name.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  ::FindClose(search);
  const DWORD notPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                         FILE_ATTRIBUTE_DEVICE;
  return (found.dwFileAttributes & notPlain) == 0;
}

void ShowMessage(const std::string& text, const std::string& caption) {
  ::MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

std::string ExecutablePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  // Started through its 8.3 name, the module's path is that name.
  return LongPath(path);
}

std::string LongPath(const std::string& path) {
  using LongPathFn = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);
  const auto longPath = Proc<LongPathFn>(::GetModuleHandleA("kernel32.dll"), "GetLongPathNameA");
  const DWORD size = longPath ? longPath(path.c_str(), nullptr, 0) : 0;
  if (size == 0) return path;
  std::string full(size, '\0');
  const DWORD n = longPath(path.c_str(), &full[0], size);
  if (n == 0 || n >= size) return path;
  full.resize(n);
  return full;
}

void* LoadSystemLibrary(const char* name) {
  char folder[MAX_PATH];
  UINT n = ::GetSystemDirectoryA(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  return ::LoadLibraryA((std::string(folder, n) + "\\" + name).c_str());
}

std::string ErrorText(unsigned long code) {
  char* text = nullptr;
  DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = n ? std::string(text, n) : "System error " + std::to_string(code) + ".";
  if (text) ::LocalFree(text);
  while (!result.empty() &&
         (result.back() == '\r' || result.back() == '\n' || result.back() == ' '))
    result.pop_back();
  return result;
}

std::string LastErrorText() {
  const DWORD code = ::GetLastError();
  return code != ERROR_SUCCESS ? ErrorText(code) : "Windows gave no reason.";
}

}  // namespace platform
