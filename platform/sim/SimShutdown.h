// Restarting the simulated machine: the process token's shutdown privilege and the restart
// requests, which are recorded (the machine does not go down).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Shutdown.h"
#include "platform/sim/SimObjects.h"

namespace platform::sim {

class SimProcess;

struct ShutdownRequest {
  std::uint32_t flags = 0;   // ewx flags
  std::uint32_t reason = 0;  // SHTDN_REASON_* value
};

class SimShutdown : public Shutdown {
 public:
  SimShutdown(SimProcess& process, SimObjectTable& objects) : process_(process), objects_(objects) {}

  // Any access is granted; the token's shutdown privilege starts disabled.
  bool OpenProcessToken(std::uint32_t access, Handle* token) override;
  // Knows only SeShutdownPrivilege; other names fail with ERROR_NO_SUCH_PRIVILEGE.
  bool LookupPrivilege(const std::wstring& name, Luid* luid) override;
  bool AdjustPrivilege(Handle token, const Luid& luid, bool enable) override;
  // Records the request while the privilege is enabled; otherwise fails with
  // ERROR_PRIVILEGE_NOT_HELD, as Windows does.
  bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;

  // --- Inspection.
  const std::vector<ShutdownRequest>& Requests() const { return requests_; }

 private:
  bool Fail(Win32Error error);

  SimProcess& process_;
  SimObjectTable& objects_;
  bool privilegeEnabled_ = false;  // of the process token, whichever handle adjusted it
  std::vector<ShutdownRequest> requests_;
};

}  // namespace platform::sim
