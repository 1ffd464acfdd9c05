// Re-enabling a disabled Windows service, and the command that asks for it.
#include "ComUtil/IssueError.h"
#include "logging/Log.h"
#include "platform/CurrentProcess.h"
#include "platform/Machine.h"
#include "platform/ServiceControl.h"
#include "platform/UserInterface.h"
#include "setup/commands/services/ServiceCommands.h"
#include "setup/session/Messages.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "StartWindowsService";
constexpr wchar_t kCategory[] = L"StartWindowsService";
constexpr std::uint32_t kConfigBufferBytes = 8192;

platform::Win32Error LastError() { return platform::process().LastError(); }

// Sets a disabled service to start on demand, leaving every other setting as it is.
bool EnableService(platform::ServiceHandle service, const std::wstring& name) {
  namespace svc = platform::svc;
  TAMBER_LOG(Warning, kCategory,
             L"The '%s' service is disabled (SERVICE_DISABLED), setting to enabled "
             L"(SERVICE_DEMAND_START).",
             name);
  if (platform::services().ChangeConfig(service, svc::NoChange, svc::DemandStart, svc::NoChange))
    return true;
  TAMBER_LOG(Error, kCategory,
             L"Failed to change the service configuration. Get last error returns 0x%X.", LastError());
  return false;
}

}  // namespace

bool StartWindowsService(const std::wstring& name) {
  namespace svc = platform::svc;
  platform::ServiceControl& services = platform::services();
  TAMBER_LOG(Info, kCategory, L"Querying the configuration of the '%s' Windows Service ...", name);
  const platform::ScopedServiceHandle manager(services.OpenManager(svc::ManagerConnect));
  if (!manager.Valid()) {
    TAMBER_LOG(Error, kCategory,
               L"Failed to open the Service Control Manager. Get last error returns 0x%X.", LastError());
    return false;
  }
  const platform::ScopedServiceHandle service(
      services.OpenService(manager.Get(), name, svc::QueryConfig | svc::ChangeConfig));
  if (!service.Valid()) {
    TAMBER_LOG(Error, kCategory, L"Failed to open the service '%s'. Get last error returns 0x%X.",
               name, LastError());
    return false;
  }
  platform::ServiceConfig config;
  if (!services.QueryConfig(service.Get(), kConfigBufferBytes, &config)) {
    TAMBER_LOG(Error, kCategory,
               L"Failed to query the service configuration. Get last error returns 0x%X.", LastError());
    return false;
  }
  if (config.startType == svc::Disabled) return EnableService(service.Get(), name);
  TAMBER_LOG(Info, kCategory, L"Service '%s' configuration is %d.", name, config.startType);
  return true;
}

void RunCommandStartWindowsService(SetupState& state, CommandParameters& line) {
  if (StartWindowsService(line.GetParameter(L"name")) || !line.IsYes(L"abort-on-failure")) {
    line.SetResult(LineResult::Success);
    return;
  }
  const std::wstring message = line.GetParameter(L"message");
  if (!message.empty())
    TamberMessageBox(line.GetParameter(L"title"), message, line.GetParameter(L"icon"),
                     platform::mb::UserIcon);
  state.abortRequested = true;
  line.SetResult(LineResult::Failure);
}

}  // namespace setup
