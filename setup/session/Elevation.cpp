#include "setup/session/Elevation.h"

#include <cstdint>

#include "ComUtil/ComApartment.h"
#include "ComUtil/IssueError.h"
#include "logging/Log.h"
#include "platform/CurrentProcess.h"
#include "platform/Machine.h"
#include "platform/Owner.h"
#include "platform/Processes.h"
#include "platform/UserInterface.h"
#include "setup/engine/RunStatus.h"
#include "setup/engine/ScriptFile.h"
#include "setup/session/LastErrorReport.h"
#include "setup/session/Messages.h"
#include "setup/session/WaitForExit.h"
#include "text/Format.h"

namespace setup {

using platform::ScopedHandle;
namespace {

constexpr char kLogSource[] = "Elevation";


std::wstring ExecutablePath() {
  std::wstring path;
  platform::process().ModuleFileName(0, platform::kMaxPath, &path);
  return path;
}

// The instance could not be started: the section's own message box, when it has one.
int RefuseSection(const SetupState& state, CommandParameters& line) {
  TAMBER_LOG(Error, L"SpawnElevatedInstance", L"ShellExecuteEx failed to return a process handle.");
  if (!state.elevationMessage.empty())
    TamberMessageBox(state.elevationTitle, state.elevationMessage, line.GetParameter(L"icon"),
                     platform::mb::UserIcon);
  line.SetResult(LineResult::Failure);
  return kRunFail;
}

// Logs the instance's exit code, takes over its restart request and sets the line's result.
void TakeExitCode(SetupState& state, CommandParameters& line, std::uint32_t exitCode) {
  LineResult result = LineResult::Failure;
  switch (exitCode) {
    case kRunSuccess:
      TAMBER_LOG(Info, L"SpawnElevatedInstance", L"Elevated process returned exit code 0 (success).");
      result = LineResult::Success;
      break;
    case kRunRetry:
      TAMBER_LOG(Info, L"SpawnElevatedInstance", L"Elevated process returned exit code 1 (retry).");
      break;
    case kRunFail:
      TAMBER_LOG(Info, L"SpawnElevatedInstance",
                 L"Elevated process returned exit code 2 (fail), aborting.");
      break;
    case kRunReboot:
      TAMBER_LOG(Info, L"SpawnElevatedInstance",
                 L"Elevated process returned exit code 3 (reboot), flagging for reboot required "
                 L"when convenient.");
      // An earlier section's request for a restart now stays.
      if (state.rebootMode != kRebootAsSoonAsPossible) state.rebootMode = kRebootWhenConvenient;
      result = LineResult::Success;
      break;
    case kRunRebootNow:
      TAMBER_LOG(Info, L"SpawnElevatedInstance",
                 L"Elevated process returned exit code 4 (rebootnow), flagging for reboot "
                 L"required as soon as possible.");
      state.rebootMode = kRebootAsSoonAsPossible;
      result = LineResult::Success;
      break;
    default:
      TAMBER_LOG(Info, L"SpawnElevatedInstance", L"Elevated process returned exit code 0x%X, aborting.",
                 exitCode);
      break;
  }
  line.SetResult(result);
}

}  // namespace

platform::Handle ExecuteElevated(const std::wstring& path, const std::wstring& parameters) {
  TAMBER_LOG(Info, L"ExecuteElevated", L"Launching with ShellExecuteEx '%s', command line '%s'.",
             path, parameters);
  platform::StartedProcess started;
  std::uintptr_t shellError = 0;
  // The shell may hand the verb to extensions, which need the apartment.
  ComUtil::EnterComApartment();
  if (platform::processes().ShellExecuteVerb(L"runas", path, parameters, &started, &shellError))
    return started.process;
  const LastErrorReport failure;
  TAMBER_LOG(Debug, L"ExecuteElevated",
             L"ShellExecuteEx returned FALSE, error code is %d, GetLastError reports 0x%X: '%s'.",
             static_cast<std::int32_t>(shellError), failure.code, failure.text);
  if (shellError == platform::kShellErrorAccessDenied)
    TAMBER_LOG(Warning, L"ExecuteElevated", L"Elevation was canceled by the user, aborting.");
  return platform::kNoHandle;
}

std::wstring ElevatedInstanceParameters(const std::wstring& workingCopy, int spawnNumber) {
  if (workingCopy.empty()) return L"/elevated";
  return L"/elevated \"" + workingCopy + L"\" " + text::DecimalText(spawnNumber);
}

int SpawnElevatedInstance(SetupState& state, CommandParameters& line,
                          const std::wstring& workingCopy) {
  const std::wstring executable = ExecutablePath();
  int spawnNumber = 0;
  if (!workingCopy.empty()) {
    // The instance reads the script from the working copy: it must see every line run so far.
    SaveCommands(state.script, workingCopy);
    spawnNumber = state.spawnCount++;
  }
  ScopedHandle instance(
      ExecuteElevated(executable, ElevatedInstanceParameters(workingCopy, spawnNumber)));
  if (!instance.Valid()) return RefuseSection(state, line);
  const std::uint32_t exitCode = WaitForExitCode(instance.Get());
  TakeExitCode(state, line, exitCode);
  return static_cast<int>(exitCode);
}

}  // namespace setup
