// The owners of kernel handles, registry keys and GDI objects, and functions
// looked up at run time.
#pragma once

#include <windows.h>

#include "platform/unique.h"

namespace platform {

// A function that older Windows lack, looked up at run time so that the exe
// still loads there; null without it. The cast goes by way of void (*)(),
// the function type GCC takes as compatible with every other.
template <typename Fn>
Fn Proc(HMODULE module, const char* name) {
  using AnyFunction = void (*)();
  return module
             ? reinterpret_cast<Fn>(reinterpret_cast<AnyFunction>(::GetProcAddress(module, name)))
             : nullptr;
}

struct CloseKernelHandle : NullOrInvalidIsNone {
  void operator()(HANDLE h) const noexcept { ::CloseHandle(h); }
};
using UniqueHandle = Unique<HANDLE, CloseKernelHandle>;

struct CloseRegistryKey : NullIsNone {
  void operator()(HKEY key) const noexcept { ::RegCloseKey(key); }
};
using UniqueKey = Unique<HKEY, CloseRegistryKey>;

// A GDI object (font, brush, bitmap); deleting one still selected into a
// window fails, so owners outlive their users.
struct DeleteGdiObject : NullIsNone {
  void operator()(HGDIOBJ object) const noexcept { ::DeleteObject(object); }
};
template <typename Object>
using UniqueGdiObject = Unique<Object, DeleteGdiObject>;
using UniqueFont = UniqueGdiObject<HFONT>;

}  // namespace platform
