// Move-only owners of kernel handles, GDI objects and registry keys, and
// functions looked up at run time.
#pragma once

#include <windows.h>

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

class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  HANDLE release() {
    HANDLE h = h_;
    h_ = nullptr;
    return h;
  }
  void reset(HANDLE h = nullptr) {
    if (*this) ::CloseHandle(h_);
    h_ = h;
  }

 private:
  HANDLE h_ = nullptr;
};

// A GDI object (font, brush, bitmap) deleted with its owner; deleting one
// still selected into a window fails, so owners outlive their users.
template <typename Object>
class UniqueGdiObject {
 public:
  UniqueGdiObject() = default;
  explicit UniqueGdiObject(Object object) : object_(object) {}
  ~UniqueGdiObject() {
    if (object_) ::DeleteObject(object_);
  }
  UniqueGdiObject(const UniqueGdiObject&) = delete;
  UniqueGdiObject& operator=(const UniqueGdiObject&) = delete;
  UniqueGdiObject(UniqueGdiObject&& other) noexcept : object_(other.object_) {
    other.object_ = nullptr;
  }
  UniqueGdiObject& operator=(UniqueGdiObject&& other) noexcept {
    if (this != &other) {
      if (object_) ::DeleteObject(object_);
      object_ = other.object_;
      other.object_ = nullptr;
    }
    return *this;
  }
  Object get() const { return object_; }

 private:
  Object object_ = nullptr;
};
using UniqueFont = UniqueGdiObject<HFONT>;

class UniqueKey {
 public:
  UniqueKey() = default;
  ~UniqueKey() {
    if (key_) ::RegCloseKey(key_);
  }
  UniqueKey(const UniqueKey&) = delete;
  UniqueKey& operator=(const UniqueKey&) = delete;
  HKEY get() const { return key_; }
  HKEY* out() { return &key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace platform
