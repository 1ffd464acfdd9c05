// Owners for the Windows resources the wrappers hold: each closes its resource when it goes
// out of scope. Closing keeps the thread's last error, so a wrapper can return a failure
// whose reason the caller still finds in LastError after the owner has cleaned up.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include "platform/Owner.h"
#include "platform/win32/OleFunctions.h"

namespace platform::win32 {

// Closing keeps the thread's last error: a wrapper returns a failure whose reason the
// caller still finds in LastError after the owner has cleaned up.
template <class Traits>
struct KeepLastErrorTraits {
  using Value = typename Traits::Value;
  static Value Invalid() { return Traits::Invalid(); }
  static void Close(Value value) {
    const DWORD lastError = ::GetLastError();
    Traits::Close(value);
    ::SetLastError(lastError);
  }
};

template <class Traits>
using ScopedResource = Owner<KeepLastErrorTraits<Traits>>;

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
  static void Close(Value v) { ole::SysFreeString(v); }
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
