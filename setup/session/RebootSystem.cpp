#include "setup/session/RebootSystem.h"

#include "platform/CurrentProcess.h"
#include "platform/Machine.h"
#include "platform/Owner.h"
#include "platform/Shutdown.h"
#include "setup/session/SystemVersion.h"

namespace setup {
namespace {

using ScopedToken = platform::ScopedHandle;

// Opens the process token, enables the shutdown privilege for the request and drops it
// again. *error receives the last error of the step that decided the outcome.
bool RestartHoldingPrivilege(std::uint32_t flags, std::uint32_t reason,
                             platform::Win32Error* error) {
  platform::Shutdown& shutdown = platform::shutdown();
  ScopedToken token;
  if (!shutdown.OpenProcessToken(
          platform::tokenaccess::AdjustPrivileges | platform::tokenaccess::Query,
          token.Receive())) {
    *error = platform::process().LastError();
    return false;
  }
  platform::Luid privilege;
  if (!shutdown.LookupPrivilege(platform::kShutdownPrivilege, &privilege)) {
    *error = platform::process().LastError();
    return false;
  }
  shutdown.AdjustPrivilege(token.Get(), privilege, true);
  const bool accepted = shutdown.ExitWindowsEx(flags, reason);
  *error = platform::process().LastError();
  shutdown.AdjustPrivilege(token.Get(), privilege, false);
  return accepted;
}

}  // namespace

bool RebootSystem(std::uint32_t reason, bool force) {
  const std::uint32_t flags = platform::ewx::Reboot | (force ? platform::ewx::Force : 0);
  if (!IsWindowsNt()) return platform::shutdown().ExitWindowsEx(flags, 0);
  platform::Win32Error error = platform::err::Success;
  const bool accepted = RestartHoldingPrivilege(flags, reason, &error);
  // Closing the token must not hide why the request failed.
  platform::process().SetLastError(error);
  return accepted;
}

}  // namespace setup
