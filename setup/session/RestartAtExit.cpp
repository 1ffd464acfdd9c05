#include "setup/session/RestartAtExit.h"

#include <string>

#include "logging/Log.h"
#include "platform/CurrentProcess.h"
#include "platform/Machine.h"
#include "setup/engine/RunStatus.h"
#include "setup/session/LastErrorReport.h"
#include "setup/session/ProcessState.h"
#include "setup/session/RebootSystem.h"
#include "setup/session/RestartQuestion.h"

namespace setup {
namespace {
constexpr char kLogSource[] = "Tamber4Setup";
}  // namespace

void OfferRestartAtExit(int status) {
  if (!processState().rebootCommandExecuted) return;
  if (status != kRunRebootNow && !AskToRestartNow(std::wstring(), std::wstring())) return;
  TAMBER_LOG(Info, L"Tamber4Setup", L"Shutting down Windows.");
  if (RebootSystem(kPlannedInstallationRestart, false)) return;
  const LastErrorReport failure;
  TAMBER_LOG(Error, L"Tamber4Setup", L"Attempt to reboot failed. Return value is 0x%X.",
             failure.code);
}

}  // namespace setup
