// Restarting Windows over the Windows API: the token's shutdown privilege and ExitWindowsEx.
#include <windows.h>

#include "platform/Shutdown.h"
#include "platform/win32/Win32Services.h"

namespace platform::win32 {
namespace {

HANDLE ToHandle(Handle token) { return reinterpret_cast<HANDLE>(token); }

class ShutdownApi final : public Shutdown {
 public:
  bool OpenProcessToken(std::uint32_t access, Handle* token) override {
    HANDLE opened = nullptr;
    const BOOL done = ::OpenProcessToken(::GetCurrentProcess(), access, &opened);
    *token = done ? reinterpret_cast<Handle>(opened) : kNoHandle;
    return done != FALSE;
  }

  bool LookupPrivilege(const std::wstring& name, Luid* luid) override {
    LUID value = {};
    if (!::LookupPrivilegeValueW(nullptr, name.c_str(), &value)) return false;
    luid->lowPart = value.LowPart;
    luid->highPart = value.HighPart;
    return true;
  }

  bool AdjustPrivilege(Handle token, const Luid& luid, bool enable) override {
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid.LowPart = luid.lowPart;
    privileges.Privileges[0].Luid.HighPart = luid.highPart;
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    return ::AdjustTokenPrivileges(ToHandle(token), FALSE, &privileges, 0, nullptr, nullptr) !=
           FALSE;
  }


  bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override {
    return ::ExitWindowsEx(flags, reason) != FALSE;
  }
};

}  // namespace

Shutdown& Win32Shutdown() {
  static ShutdownApi shutdown;
  return shutdown;
}

}  // namespace platform::win32
