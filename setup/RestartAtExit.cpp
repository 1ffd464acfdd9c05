#include "setup/RestartAtExit.h"

#include <string>

#include "logging/Log.h"
#include "platform/CurrentProcess.h"
#include "platform/Machine.h"
#include "platform/UserInterface.h"
#include "setup/Messages.h"
#include "setup/ProcessState.h"
#include "setup/RebootSystem.h"
#include "setup/RunStatus.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Tamber4Setup";

// Asks the user whether to restart now, in the user's own language.
bool UserWantsRestart() {
  const platform::ModuleHandle exe = platform::process().ExecutableModule();
  const platform::LangId language = UserDefaultPrimaryLanguage();
  const std::wstring title = LoadMessageText(kMsgSetupTitle, exe, language);
  const std::wstring question = LoadMessageText(kMsgRestartQuestion, exe, language);
  namespace mb = platform::mb;
  return TamberMessageBox(title, question, std::wstring(),
                          mb::YesNo | mb::UserIcon | mb::SetForeground) == mb::IdYes;
}

}  // namespace

void OfferRestartAtExit(int status) {
  if (!processState().rebootCommandExecuted) return;
  if (status != kRunRebootNow && !UserWantsRestart()) return;
  TAMBER_LOG(Info, L"Tamber4Setup", L"Shutting down Windows.");
  if (!RebootSystem(kPlannedInstallationRestart, false))
    TAMBER_LOG(Error, L"Tamber4Setup", L"Attempt to reboot failed. Return value is 0x%X.",
               platform::process().LastError());
}

}  // namespace setup
