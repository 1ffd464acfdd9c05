#include "platform/win32/DllSearchPath.h"

#include <windows.h>

namespace platform::win32 {

void SearchDllsInSystem32Only() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  // Looked up rather than imported: older systems lack the function. kernel32.dll is always
  // loaded (and a KnownDLL), so it is found, not loaded.
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void*>(kernel == nullptr ? nullptr
                                                : ::GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefaultDllDirectories != nullptr) setDefaultDllDirectories(kSearchSystem32);
}

}  // namespace platform::win32
