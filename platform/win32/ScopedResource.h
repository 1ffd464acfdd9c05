// Owners for the Windows resources the wrappers hold: each closes its resource when it goes
// out of scope. Closing keeps the thread's last error, so a wrapper can return a failure
// whose reason the caller still finds in LastError after the owner has cleaned up.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <utility>

namespace platform::win32 {

template <class Traits>
class ScopedResource {
 public:
  using Value = typename Traits::Value;

  ScopedResource() = default;
  explicit ScopedResource(Value value) : value_(value) {}
  ~ScopedResource() { Reset(); }
  ScopedResource(const ScopedResource&) = delete;
  ScopedResource& operator=(const ScopedResource&) = delete;
  ScopedResource(ScopedResource&& other) noexcept : value_(other.Release()) {}
  ScopedResource& operator=(ScopedResource&& other) noexcept {
    Reset(other.Release());
    return *this;
  }

  Value Get() const { return value_; }
  bool Valid() const { return value_ != Traits::Invalid(); }

  // Closes the held resource (if any) and holds `value` instead.
  void Reset(Value value = Traits::Invalid()) {
    if (Valid()) {
      const DWORD lastError = ::GetLastError();
      Traits::Close(value_);
      ::SetLastError(lastError);
    }
    value_ = value;
  }

  // Gives up ownership without closing.
  Value Release() { return std::exchange(value_, Traits::Invalid()); }

 private:
  Value value_ = Traits::Invalid();
};

struct FindHandleTraits {
  using Value = HANDLE;
  static Value Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Value v) { ::FindClose(v); }
};

struct LibraryTraits {
  using Value = HMODULE;
  static Value Invalid() { return nullptr; }
  static void Close(Value v) { ::FreeLibrary(v); }
};

struct LocalMemoryTraits {
  using Value = HLOCAL;
  static Value Invalid() { return nullptr; }
  static void Close(Value v) { ::LocalFree(v); }
};

struct BstrTraits {
  using Value = BSTR;
  static Value Invalid() { return nullptr; }
  static void Close(Value v) { ::SysFreeString(v); }
};

template <class Interface>
struct ComReferenceTraits {
  using Value = Interface*;
  static Value Invalid() { return nullptr; }
  static void Close(Value v) { v->Release(); }
};

using ScopedFindHandle = ScopedResource<FindHandleTraits>;
using ScopedLibrary = ScopedResource<LibraryTraits>;
using ScopedLocalMemory = ScopedResource<LocalMemoryTraits>;
using ScopedBstr = ScopedResource<BstrTraits>;
template <class Interface>
using ScopedComReference = ScopedResource<ComReferenceTraits<Interface>>;

}  // namespace platform::win32
