// The Service Control Manager of the simulated machine: services by name with their start
// types. Changing a configuration needs administrator rights (an elevated process), as on
// Windows; handles are the machine's own values.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/ServiceControl.h"
#include "platform/sim/SimProcess.h"
#include "platform/sim/SimSecurity.h"

namespace platform::sim {

struct SimService {
  std::wstring name;  // as first set; the manager finds it without regard to case
  std::uint32_t serviceType = 0x20;  // SERVICE_WIN32_SHARE_PROCESS
  std::uint32_t startType = svc::DemandStart;
  std::uint32_t errorControl = 1;  // SERVICE_ERROR_NORMAL
};

class SimServiceControl : public ServiceControl {
 public:
  SimServiceControl(SimProcess& process, SimSecurity& security)
      : process_(process), security_(security) {}

  ServiceHandle OpenManager(std::uint32_t access) override;
  // ServiceDoesNotExist for an unknown name (compared without regard to case); AccessDenied
  // for ChangeConfig access from a process that is not elevated.
  ServiceHandle OpenService(ServiceHandle manager, const std::wstring& name,
                            std::uint32_t access) override;
  // InsufficientBuffer below the 36 bytes of the fixed structure plus its texts.
  bool QueryConfig(ServiceHandle service, std::uint32_t bufferBytes, ServiceConfig* config) override;
  // AccessDenied without ChangeConfig access.
  bool ChangeConfig(ServiceHandle service, std::uint32_t serviceType, std::uint32_t startType,
                    std::uint32_t errorControl) override;
  bool CloseServiceHandle(ServiceHandle handle) override;

  // --- Set-up and inspection.
  void SetService(const std::wstring& name, const SimService& service);
  const SimService* Service(const std::wstring& name) const;
  const std::map<std::wstring, SimService>& Services() const { return services_; }
  // The next OpenManager, QueryConfig or ChangeConfig fails with `error`.
  void FailOpenManager(Win32Error error) { managerFailure_ = error; }
  void FailQueryConfig(Win32Error error) { queryFailure_ = error; }
  void FailChangeConfig(Win32Error error) { changeFailure_ = error; }
  std::size_t OpenHandleCount() const { return handles_.size(); }

 private:
  struct Opened {
    std::wstring service;  // upper case; empty for the manager
    std::uint32_t access = 0;
  };
  bool TakeFailure(Win32Error* failure);
  const Opened* OpenedService(ServiceHandle handle);

  SimProcess& process_;
  SimSecurity& security_;
  std::map<std::wstring, SimService> services_;  // by upper-case name
  std::map<ServiceHandle, Opened> handles_;
  ServiceHandle nextHandle_ = 0x5C000;
  Win32Error managerFailure_ = 0;
  Win32Error queryFailure_ = 0;
  Win32Error changeFailure_ = 0;
};

}  // namespace platform::sim
