// TakeOwnership: the system's takeown.exe makes the process's user the owner of a folder
// and of everything in it.
#include "logging/Log.h"
#include "platform/KernelObjects.h"
#include "platform/Machine.h"
#include "platform/Owner.h"
#include "platform/Processes.h"
#include "platform/Security.h"
#include "platform/Shell.h"
#include "setup/commands/permissions/PermissionCommands.h"
#include "setup/session/LastErrorReport.h"
#include "setup/session/Paths.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Tamber4Setup";
const wchar_t kCategory[] = L"TakeOwnership";

void LogLastError(const wchar_t* format) {
  const LastErrorReport failure;
  TAMBER_LOG(Error, kCategory, format, failure.code, failure.text);
}

}  // namespace

bool TakeOwnership(const std::wstring& folder) {
  std::wstring system;
  GetSpecialFolder(platform::csidl::System, &system);
  const std::wstring program = JoinPath(system, L"takeown.exe");
  if (!IsExistingFile(program)) {
    TAMBER_LOG(Error, kCategory, L"File '%s' not found.", program);
    return false;
  }
  std::wstring path = folder;
  if (!path.empty() && path.back() == L'\\') path.pop_back();
  const std::wstring commandLine = L"takeown.exe /F \"" + path + L"\" /R";
  TAMBER_LOG(Info, kCategory, L"Launching '%s' with CreateProcess, command line: %s.", program, commandLine);
  platform::StartedProcess started;
  if (!platform::security().StartWithoutWindow(program, commandLine, &started)) {
    LogLastError(L"Failed to create the process. CreateProcess set last error 0x%X, '%s'.");
    return false;
  }
  const platform::ScopedHandle process(started.process);
  if (platform::kernel().Wait(process.Get(), platform::wait::Infinite) == platform::wait::Failed) {
    LogLastError(L"WaitForSingleObject failed and set last error 0x%X, '%s'.");
    return false;
  }
  std::uint32_t exitCode = 0;
  if (!platform::processes().ExitCode(process.Get(), &exitCode)) {
    LogLastError(L"GetExitCodeProcess failed and set last error 0x%X, '%s'.");
    return false;
  }
  if (exitCode == 0) {
    TAMBER_LOG(Info, kCategory, L"'takeown.exe' returned exit code 0.");
    return true;
  }
  TAMBER_LOG(Error, kCategory, L"'takeown.exe' returned exit code %d.", static_cast<std::int32_t>(exitCode));
  return false;
}

}  // namespace setup
