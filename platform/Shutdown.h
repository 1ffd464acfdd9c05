// Restarting Windows: the process token's shutdown privilege and the shutdown request,
// with the grain of OpenProcessToken, LookupPrivilegeValueW, AdjustTokenPrivileges and
// ExitWindowsEx. Failures leave their reason in the thread's last error.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace platform {

// ExitWindowsEx flags.
namespace ewx {
constexpr std::uint32_t Reboot = 0x2;
constexpr std::uint32_t Force = 0x4;
}  // namespace ewx

// Token access rights.
namespace tokenaccess {
constexpr std::uint32_t AdjustPrivileges = 0x20;
constexpr std::uint32_t Query = 0x8;
}  // namespace tokenaccess

// The privilege a process needs to restart the system.
constexpr const wchar_t* kShutdownPrivilege = L"SeShutdownPrivilege";

// A locally unique identifier (LUID), as privileges are named to the token.
struct Luid {
  std::uint32_t lowPart = 0;
  std::int32_t highPart = 0;
};

class Shutdown {
 public:
  virtual ~Shutdown() = default;

  // OpenProcessToken on the current process with `access` (tokenaccess rights).
  virtual bool OpenProcessToken(std::uint32_t access, Handle* token) = 0;
  // LookupPrivilegeValueW on the local system.
  virtual bool LookupPrivilege(const std::wstring& name, Luid* luid) = 0;
  // AdjustTokenPrivileges with the one privilege `luid` enabled or disabled. As Windows,
  // true can mean the privilege was not held (last error ERROR_NOT_ALL_ASSIGNED, 1300).
  virtual bool AdjustPrivilege(Handle token, const Luid& luid, bool enable) = 0;
  // ExitWindowsEx(flags, reason): true when the request was accepted.
  virtual bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) = 0;
};

}  // namespace platform
