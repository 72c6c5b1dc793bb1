// The one owner of every kind of handle Vigilo holds. A kind is an alias
// that names its Closer: the call that closes it, and which values hold
// nothing. Move-only, so that each handle has exactly one owner and is closed
// once, in reset.
// The operations are those of every kind: get, release, reset, put, move.
#pragma once

namespace platform {

// Closer: default-constructible and copyable, with `static bool Holds(T)`
// and `void operator()(T) const`. It may carry state (the service that
// closes), which moves with the handle.
template <typename T, typename Closer>
class Unique {
 public:
  Unique() = default;
  explicit Unique(T value, Closer closer = Closer()) : value_(value), closer_(closer) {}
  ~Unique() { reset(); }
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : value_(other.release()), closer_(other.closer_) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) {
      reset(other.release());
      closer_ = other.closer_;
    }
    return *this;
  }

  T get() const { return value_; }
  explicit operator bool() const { return Closer::Holds(value_); }
  // Gives the handle up unclosed.
  T release() {
    const T value = value_;
    value_ = T();
    return value;
  }
  // Closes what it holds, then holds value.
  void reset(T value = T()) {
    if (Closer::Holds(value_)) closer_(value_);
    value_ = value;
  }
  // For a call that hands a new handle back through a pointer: closes what
  // it holds first.
  T* put() {
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
  static bool Holds(T value) {
    return value != T();
  }
};

}  // namespace platform
