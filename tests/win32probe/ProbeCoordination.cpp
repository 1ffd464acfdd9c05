// The wrappers of system coordination: the process list through toolhelp and PSAPI, opening
// a process, shared memory, new GUIDs, the Service Control Manager and the Automatic Updates
// object, each against the real system.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "ComUtil/ComPtr.h"
#include "Probe.h"
#include "platform/AutomaticUpdates.h"
#include "platform/Com.h"
#include "platform/KernelObjects.h"
#include "platform/Machine.h"
#include "platform/Processes.h"
#include "platform/ServiceControl.h"

namespace probe {
namespace {

using platform::Handle;

void ProbeProcessList() {
  auto& processes = platform::processes();
  const std::uint32_t self = ::GetCurrentProcessId();
  Check("processes: toolhelp functions found",
        processes.LoadProcessListFunctions(platform::ProcessListLibrary::Toolhelp));
  const Handle snapshot = processes.CreateProcessSnapshot();
  bool found = false;
  std::wstring name;
  platform::ProcessEntry entry;
  for (bool more = processes.FirstSnapshotProcess(snapshot, &entry); more;
       more = processes.NextSnapshotProcess(snapshot, &entry))
    if (entry.processId == self) found = true, name = entry.exeFile;
  Check("processes: the snapshot lists this process by its file name",
        found && EndsWithIgnoringCase(name, L"Win32Probe.exe") && name.find(L'\\') == std::wstring::npos, name);
  platform::kernel().Close(snapshot);

  Check("processes: PSAPI functions found",
        processes.LoadProcessListFunctions(platform::ProcessListLibrary::Psapi));
  std::vector<std::uint32_t> ids(1024);
  std::uint32_t returned = 0;
  const bool listed = processes.EnumProcessIds(ids.data(), 4096, &returned);
  ids.resize(returned / 4);
  Check("processes: PSAPI lists this process",
        listed && std::find(ids.begin(), ids.end(), self) != ids.end());
  namespace access = platform::processaccess;
  const Handle own = processes.OpenProcess(access::QueryInformation | access::VmRead, self);
  name.clear();
  Check("processes: the first module's base name is the executable",
        own != platform::kNoHandle && processes.FirstModuleBaseName(own, &name) &&
            EndsWithIgnoringCase(name, L"Win32Probe.exe"),
        name);
  platform::kernel().Close(own);
  Check("processes: an id no process has cannot be opened",
        processes.OpenProcess(access::Synchronize, 0xFFFFFFF0u) == platform::kNoHandle);
}

void ProbeSharedMemory() {
  auto& kernel = platform::kernel();
  bool existed = true;
  const Handle first = kernel.CreateNamedFileMapping(L"Local\\Tamber4ProbeMemory", 20, &existed);
  Check("kernel: a new mapping", first != platform::kNoHandle && !existed);
  std::uint8_t* view = kernel.MapView(first);
  if (view != nullptr) std::memcpy(view + 4, "shared", 6);
  const Handle second = kernel.CreateNamedFileMapping(L"Local\\Tamber4ProbeMemory", 20, &existed);
  std::uint8_t* other = kernel.MapView(second);
  Check("kernel: a second opening sees the same bytes",
        existed && other != nullptr && view != nullptr && std::memcmp(other + 4, "shared", 6) == 0);
  Check("kernel: views unmap", kernel.UnmapView(view) && kernel.UnmapView(other));
  kernel.Close(first);
  kernel.Close(second);

  platform::Guid a, b;
  Check("com: two new GUIDs differ", platform::com().CreateGuid(&a) == 0 &&
                                        platform::com().CreateGuid(&b) == 0 && !(a == b) && !a.IsZero());
}

void ProbeServices() {
  namespace svc = platform::svc;
  auto& services = platform::services();
  const platform::ServiceHandle manager = services.OpenManager(svc::ManagerConnect);
  Check("services: the manager opens", manager != platform::kNoServiceHandle);
  const platform::ServiceHandle bits = services.OpenService(manager, L"BITS", svc::QueryConfig);
  platform::ServiceConfig config;
  const bool read = bits != platform::kNoServiceHandle && services.QueryConfig(bits, 8192, &config);
  Check("services: BITS's configuration is read",
        read && config.startType >= svc::AutoStart && config.startType <= svc::Disabled,
        Hex(config.startType));
  Check("services: a too small buffer is refused",
        !services.QueryConfig(bits, 8, &config) && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER);
  services.CloseServiceHandle(bits);
  Check("services: an unknown service does not exist",
        services.OpenService(manager, L"NoSuchTamberService", svc::QueryConfig) == platform::kNoServiceHandle &&
            ::GetLastError() == svc::ServiceDoesNotExist);
  services.CloseServiceHandle(manager);
}

void ProbeAutomaticUpdates() {
  ComUtil::ComPtr<platform::IAutomaticUpdates> updates;
  const platform::HResult created = platform::com().CreateInstance(
      platform::kClsidAutomaticUpdates, platform::kAutomaticUpdatesContext,
      platform::IAutomaticUpdates::kIid, reinterpret_cast<void**>(updates.Receive()));
  if (!Check("windows update: the Automatic Updates object is created", created == 0 && updates,
             Hex(static_cast<std::uint32_t>(created))))
    return;
  Check("windows update: Pause and Resume answer", updates->Pause() >= 0 && updates->Resume() >= 0);
}

}  // namespace

void ProbeCoordination() {
  ProbeProcessList();
  ProbeSharedMemory();
  ProbeServices();
  if (platform::com().Initialize() >= 0) {
    ProbeAutomaticUpdates();
    platform::com().Uninitialize();
  }
}

}  // namespace probe
