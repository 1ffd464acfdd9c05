#include "platform/sim/SimServiceControl.h"

#include <utility>

#include "platform/sim/SimText.h"

namespace platform::sim {
namespace {

// The fixed part of QUERY_SERVICE_CONFIGW on a 64-bit system, and room for its texts.
constexpr std::uint32_t kConfigBytes = 64 + 512;

}  // namespace

bool SimServiceControl::TakeFailure(Win32Error* failure) {
  if (*failure == 0) return false;
  process_.SetLastError(std::exchange(*failure, 0));
  return true;
}

ServiceHandle SimServiceControl::OpenManager(std::uint32_t access) {
  if (TakeFailure(&managerFailure_)) return kNoServiceHandle;
  const ServiceHandle handle = nextHandle_ += 8;
  handles_[handle] = Opened{std::wstring(), access};
  return handle;
}

ServiceHandle SimServiceControl::OpenService(ServiceHandle manager, const std::wstring& name,
                                             std::uint32_t access) {
  auto found = handles_.find(manager);
  if (found == handles_.end() || !found->second.service.empty()) {
    process_.SetLastError(err::InvalidHandle);
    return kNoServiceHandle;
  }
  if (services_.count(UpperCase(name)) == 0) {
    process_.SetLastError(svc::ServiceDoesNotExist);
    return kNoServiceHandle;
  }
  if ((access & svc::ChangeConfig) != 0 && !security_.IsElevated()) {
    process_.SetLastError(err::AccessDenied);
    return kNoServiceHandle;
  }
  const ServiceHandle handle = nextHandle_ += 8;
  handles_[handle] = Opened{UpperCase(name), access};
  return handle;
}

const SimServiceControl::Opened* SimServiceControl::OpenedService(ServiceHandle handle) {
  auto found = handles_.find(handle);
  if (found == handles_.end() || found->second.service.empty()) {
    process_.SetLastError(err::InvalidHandle);
    return nullptr;
  }
  return &found->second;
}

bool SimServiceControl::QueryConfig(ServiceHandle service, std::uint32_t bufferBytes,
                                    ServiceConfig* config) {
  const Opened* opened = OpenedService(service);
  if (opened == nullptr || TakeFailure(&queryFailure_)) return false;
  if ((opened->access & svc::QueryConfig) == 0) {
    process_.SetLastError(err::AccessDenied);
    return false;
  }
  if (bufferBytes < kConfigBytes) {
    process_.SetLastError(err::InsufficientBuffer);
    return false;
  }
  const SimService& found = services_[opened->service];
  *config = {found.serviceType, found.startType, found.errorControl};
  return true;
}

bool SimServiceControl::ChangeConfig(ServiceHandle service, std::uint32_t serviceType,
                                     std::uint32_t startType, std::uint32_t errorControl) {
  const Opened* opened = OpenedService(service);
  if (opened == nullptr || TakeFailure(&changeFailure_)) return false;
  if ((opened->access & svc::ChangeConfig) == 0) {
    process_.SetLastError(err::AccessDenied);
    return false;
  }
  SimService& changed = services_[opened->service];
  if (serviceType != svc::NoChange) changed.serviceType = serviceType;
  if (startType != svc::NoChange) changed.startType = startType;
  if (errorControl != svc::NoChange) changed.errorControl = errorControl;
  return true;
}

bool SimServiceControl::CloseServiceHandle(ServiceHandle handle) {
  if (handles_.erase(handle) == 0) {
    process_.SetLastError(err::InvalidHandle);
    return false;
  }
  return true;
}

void SimServiceControl::SetService(const std::wstring& name, const SimService& service) {
  SimService& stored = services_[UpperCase(name)];
  const std::wstring known = stored.name.empty() ? name : stored.name;
  stored = service;
  stored.name = known;
}

const SimService* SimServiceControl::Service(const std::wstring& name) const {
  auto found = services_.find(UpperCase(name));
  return found == services_.end() ? nullptr : &found->second;
}

}  // namespace platform::sim
