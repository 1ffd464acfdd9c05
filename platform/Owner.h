// The one owner of a system resource (a handle, a key, a token, a process): closes it through
// its service when the owner goes out of scope or takes another. Traits name the value type,
// the value that holds nothing and how to close:
//   struct Traits { using Value = ...; static Value Invalid(); static void Close(Value); };
#pragma once

#include <utility>

#include "platform/KernelObjects.h"
#include "platform/Machine.h"
#include "platform/Types.h"

namespace platform {

template <class Traits>
class Owner {
 public:
  using Value = typename Traits::Value;

  Owner() = default;
  explicit Owner(Value value) : value_(value) {}
  ~Owner() { Reset(); }
  Owner(const Owner&) = delete;
  Owner& operator=(const Owner&) = delete;
  Owner(Owner&& other) noexcept : value_(other.Release()) {}
  Owner& operator=(Owner&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Value Get() const { return value_; }
  bool Valid() const { return value_ != Traits::Invalid(); }

  // Closes the held resource, if any, and holds `value` instead.
  void Reset(Value value = Traits::Invalid()) {
    if (Valid()) Traits::Close(value_);
    value_ = value;
  }
  // Gives the resource up without closing it.
  Value Release() { return std::exchange(value_, Traits::Invalid()); }
  // Closes what is held and returns where a call that opens a resource puts the new one.
  Value* Receive() {
    Reset();
    return &value_;
  }

 private:
  Value value_ = Traits::Invalid();
};

// Any kernel object handle (file, process, mutex, event, token), closed through the one
// service that closes them all.
struct KernelHandleTraits {
  using Value = Handle;
  static Value Invalid() { return kNoHandle; }
  static void Close(Value value) { kernel().Close(value); }
};

using ScopedHandle = Owner<KernelHandleTraits>;

}  // namespace platform
