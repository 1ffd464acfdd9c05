// The Service Control Manager over advapi32.
#include <windows.h>

#include <vector>

#include "platform/ServiceControl.h"
#include "platform/win32/Win32Services.h"

namespace platform::win32 {
namespace {

SC_HANDLE ToHandle(ServiceHandle handle) { return reinterpret_cast<SC_HANDLE>(handle); }

class ServiceControlApi final : public ServiceControl {
 public:
  ServiceHandle OpenManager(std::uint32_t access) override {
    return reinterpret_cast<ServiceHandle>(::OpenSCManagerW(nullptr, nullptr, access));
  }

  ServiceHandle OpenService(ServiceHandle manager, const std::wstring& name,
                            std::uint32_t access) override {
    return reinterpret_cast<ServiceHandle>(::OpenServiceW(ToHandle(manager), name.c_str(), access));
  }

  bool QueryConfig(ServiceHandle service, std::uint32_t bufferBytes,
                   ServiceConfig* config) override {
    // DWORD elements keep the structure's alignment.
    std::vector<DWORD> buffer((bufferBytes + sizeof(DWORD) - 1) / sizeof(DWORD));
    auto* raw = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    DWORD needed = 0;
    if (!::QueryServiceConfigW(ToHandle(service), raw, bufferBytes, &needed)) return false;
    config->serviceType = raw->dwServiceType;
    config->startType = raw->dwStartType;
    config->errorControl = raw->dwErrorControl;
    return true;
  }

  bool ChangeConfig(ServiceHandle service, std::uint32_t serviceType, std::uint32_t startType,
                    std::uint32_t errorControl) override {
    return ::ChangeServiceConfigW(ToHandle(service), serviceType, startType, errorControl, nullptr,
                                  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) != FALSE;
  }

  bool CloseServiceHandle(ServiceHandle handle) override {
    return ::CloseServiceHandle(ToHandle(handle)) != FALSE;
  }
};

}  // namespace

ServiceControl& Win32ServiceControl() {
  static ServiceControlApi services;
  return services;
}

}  // namespace platform::win32
