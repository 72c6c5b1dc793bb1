// The one owner of every kind of handle Vigilo holds. A kind is an alias
// that names its Closer: the call that closes it, and which values hold
// nothing. Move-only, so that each handle has exactly one owner and is closed
// once, in reset.
// The operations are those of every kind: get, release, reset, move; and
// for a Closer without state, filling with a value (the constructor, reset
// and put).
#pragma once

#include <cstdint>
#include <type_traits>

namespace platform {

// Closer: default-constructible and copyable, with `static bool Holds(T)`
// and `void operator()(T) const`, neither of which throws. A Closer that
// carries state (the service that closes) moves with the handle, and comes
// only with a handle: an owner that could not close is never filled.
template <typename T, typename Closer>
class Unique {
  template <typename C>
  using IfStateless = std::enable_if_t<std::is_empty<C>::value, int>;

 public:
  Unique() noexcept = default;
  template <typename C = Closer, IfStateless<C> = 0>
  explicit Unique(T value) noexcept : value_(value) {}
  Unique(T value, Closer closer) noexcept : value_(value), closer_(closer) {}
  ~Unique() { reset(); }
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : value_(other.release()), closer_(other.closer_) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) {
      reset();
      value_ = other.release();
      closer_ = other.closer_;
    }
    return *this;
  }

  T get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return Closer::Holds(value_); }
  // Gives the handle up unclosed.
  T release() noexcept {
    const T value = value_;
    value_ = T();
    return value;
  }
  // Closes what it holds.
  void reset() noexcept {
    if (Closer::Holds(value_)) closer_(value_);
    value_ = T();
  }
  // Closes what it holds, then holds value.
  template <typename C = Closer, IfStateless<C> = 0>
  void reset(T value) noexcept {
    reset();
    value_ = value;
  }
  // For a call that hands a new handle back through a pointer: closes what
  // it holds first.
  template <typename C = Closer, IfStateless<C> = 0>
  T* put() noexcept {
    reset();
    return &value_;
  }

 private:
  T value_ = T();
  Closer closer_ = Closer();
};

// The null value holds nothing: pointers, and the opaque handles the
// portable services pass.
struct NullIsNone {
  template <typename T>
  static bool Holds(T value) noexcept {
    return value != T();
  }
};

// Kernel objects (processes, threads, jobs, snapshots), however they are
// spelled: some calls fail with INVALID_HANDLE_VALUE, all bits set, rather
// than null, so neither is a handle.
struct NullOrInvalidIsNone {
  static bool Holds(std::uintptr_t value) noexcept {
    return value != 0 && value != ~std::uintptr_t(0);
  }
  static bool Holds(const void* value) noexcept {
    return Holds(reinterpret_cast<std::uintptr_t>(value));
  }
};

}  // namespace platform
