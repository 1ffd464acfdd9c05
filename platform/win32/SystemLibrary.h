// A system DLL loaded from System32 by its full path, never by bare name: a setup program
// runs from a Downloads folder anyone can drop a DLL of a system name into.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/ScopedResource.h"

namespace platform::win32 {

// Loaded on first use and kept for the process's lifetime.
class SystemLibrary {
 public:
  explicit SystemLibrary(const wchar_t* name) : name_(name) {}

  // The function `procedure`, or null (last error set) when the DLL or the function is
  // missing.
  template <class Function>
  Function Find(const char* procedure) {
    if (!Load()) return nullptr;
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(library_.Get(), procedure)));
  }

 private:
  bool Load() {
    if (library_.Valid()) return true;
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    const std::wstring path = std::wstring(folder) + L"\\" + name_;
    // The altered search path makes the DLL's own imports come from System32 as well.
    library_.Reset(::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    return library_.Valid();
  }

  const wchar_t* name_;
  ScopedLibrary library_;
};

}  // namespace platform::win32
