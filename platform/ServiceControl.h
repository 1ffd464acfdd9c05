// The Service Control Manager: opening it and a service, reading and changing the service's
// configuration. The grain is that of OpenSCManagerW, OpenServiceW, QueryServiceConfigW,
// ChangeServiceConfigW and CloseServiceHandle; failures leave their reason in the thread's
// last error.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Machine.h"
#include "platform/Owner.h"
#include "platform/Types.h"

namespace platform {

// SC_HANDLE: a handle of the manager or of a service (not a kernel handle).
using ServiceHandle = std::uintptr_t;
constexpr ServiceHandle kNoServiceHandle = 0;

namespace svc {
constexpr std::uint32_t ManagerConnect = 0x0001;  // SC_MANAGER_CONNECT
constexpr std::uint32_t QueryConfig = 0x0001;     // SERVICE_QUERY_CONFIG
constexpr std::uint32_t ChangeConfig = 0x0002;    // SERVICE_CHANGE_CONFIG
constexpr std::uint32_t AutoStart = 2;            // SERVICE_AUTO_START
constexpr std::uint32_t DemandStart = 3;          // SERVICE_DEMAND_START
constexpr std::uint32_t Disabled = 4;             // SERVICE_DISABLED
constexpr std::uint32_t NoChange = 0xFFFFFFFFu;   // SERVICE_NO_CHANGE
constexpr Win32Error ServiceDoesNotExist = 1060;  // ERROR_SERVICE_DOES_NOT_EXIST
}  // namespace svc

// What QUERY_SERVICE_CONFIGW tells that the logic reads.
struct ServiceConfig {
  std::uint32_t serviceType = 0;
  std::uint32_t startType = 0;
  std::uint32_t errorControl = 0;
};

class ServiceControl {
 public:
  virtual ~ServiceControl() = default;

  // OpenSCManagerW on the local computer's active database.
  virtual ServiceHandle OpenManager(std::uint32_t access) = 0;
  // OpenServiceW.
  virtual ServiceHandle OpenService(ServiceHandle manager, const std::wstring& name,
                                    std::uint32_t access) = 0;
  // QueryServiceConfigW into a buffer of `bufferBytes` bytes (InsufficientBuffer when the
  // configuration does not fit).
  virtual bool QueryConfig(ServiceHandle service, std::uint32_t bufferBytes,
                           ServiceConfig* config) = 0;
  // ChangeServiceConfigW with these three values (svc::NoChange keeps one) and every other
  // setting left as it is (null).
  virtual bool ChangeConfig(ServiceHandle service, std::uint32_t serviceType,
                            std::uint32_t startType, std::uint32_t errorControl) = 0;
  // CloseServiceHandle.
  virtual bool CloseServiceHandle(ServiceHandle handle) = 0;
};

struct ServiceHandleTraits {
  using Value = ServiceHandle;
  static Value Invalid() { return kNoServiceHandle; }
  static void Close(Value value) { services().CloseServiceHandle(value); }
};

using ScopedServiceHandle = Owner<ServiceHandleTraits>;

}  // namespace platform
