// Windows 95, 98 and ME export most wide ("W") functions only as stubs that
// fail. The MinGW runtime calls three of them (the unwinder's and the
// thread glue's locks, the C runtime's DLL lookups), so the 32-bit product
// supplies their import slots itself, each forwarding to the "A" function,
// which works on every Windows. Linked into the 32-bit MinGW product only.
#include <windows.h>

namespace {

// The few names these get are short ASCII DLL names, or none.
bool Narrow(LPCWSTR wide, char (&out)[MAX_PATH]) {
  return ::WideCharToMultiByte(CP_ACP, 0, wide, -1, out, MAX_PATH, nullptr, nullptr) != 0;
}

HMODULE WINAPI GetModuleHandleViaA(LPCWSTR name) {
  char narrow[MAX_PATH];
  if (!name) return ::GetModuleHandleA(nullptr);
  return Narrow(name, narrow) ? ::GetModuleHandleA(narrow) : nullptr;
}

HMODULE WINAPI LoadLibraryViaA(LPCWSTR name) {
  char narrow[MAX_PATH];
  return name && Narrow(name, narrow) ? ::LoadLibraryA(narrow) : nullptr;
}

HANDLE WINAPI CreateSemaphoreViaA(LPSECURITY_ATTRIBUTES security, LONG initial, LONG maximum,
                                  LPCWSTR name) {
  char narrow[MAX_PATH];
  if (name && !Narrow(name, narrow)) return nullptr;
  return ::CreateSemaphoreA(security, initial, maximum, name ? narrow : nullptr);
}

}  // namespace

// The import slots, under the names the runtime's objects refer to.
using ModuleFn = HMODULE(WINAPI*)(LPCWSTR);
using SemaphoreFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCWSTR);
extern "C" {
ModuleFn kGetModuleHandleW __asm__("__imp__GetModuleHandleW@4") = GetModuleHandleViaA;
ModuleFn kLoadLibraryW __asm__("__imp__LoadLibraryW@4") = LoadLibraryViaA;
SemaphoreFn kCreateSemaphoreW __asm__("__imp__CreateSemaphoreW@16") = CreateSemaphoreViaA;
}
