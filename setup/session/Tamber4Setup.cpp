#include "setup/session/Tamber4Setup.h"

#include <cstdint>

#include "ComUtil/ComApartment.h"
#include "ComUtil/ExceptionLog.h"
#include "logging/Log.h"
#include "platform/CurrentProcess.h"
#include "platform/Machine.h"
#include "platform/Resources.h"
#include "platform/Shell.h"
#include "platform/UserInterface.h"
#include "setup/engine/RunStatus.h"
#include "setup/session/Messages.h"
#include "setup/session/Paths.h"
#include "setup/session/ProcessState.h"
#include "setup/session/RestartAtExit.h"
#include "setup/session/Session.h"
#include "setup/session/SystemVersion.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Tamber4Setup";

void LogModuleVersion() {
  if (!logging::IsLogEnabled(logging::Info)) return;
  std::uint16_t version[4] = {0, 0, 0, 0};
  platform::resources().FileVersion(version);
  TAMBER_LOG(Info, L"Module", L"Initializing module (version %d.%d.%d.%d).", version[0],
             version[1], version[2], version[3]);
}

// A start-up refusal: titled message box with `textId`, in the user's own language.
void ShowStartupRefusal(std::uint32_t textId, const std::wstring& iconKind, std::uint32_t style) {
  const platform::ModuleHandle exe = platform::process().ExecutableModule();
  const platform::LangId language = UserDefaultPrimaryLanguage();
  TamberMessageBox(LoadMessageText(kMsgSetupTitle, exe, language),
                   LoadMessageText(textId, exe, language), iconKind, style);
}

// The refusals before a session starts. Returns the exit code of a refusal, or -1.
int RefuseUnsupportedSystem() {
  namespace mb = platform::mb;
  if (!IsXpSp3OrLater()) {
    TAMBER_LOG(Error, L"main", L"The OS did not pass the VerifyVersionInfo test for XP SP 3.");
    ShowStartupRefusal(kMsgOsTooOld, std::wstring(), mb::UserIcon | mb::SetForeground);
    return kRunFail;
  }
  std::wstring documents;
  if (!GetSpecialFolder(platform::csidl::Personal, &documents) && !IsVistaOrLater()) {
    ShowStartupRefusal(kMsgNoPrivileges, L"warning", mb::UserIcon);
    return kRunRetry;
  }
  return -1;
}

int RunSession(const std::wstring& commandLine, const SessionServices& services) {
  try {
    ComUtil::SessionComApartment apartment;
    SetupState state;
    return Run(state, commandLine, services);
  } catch (...) {
    return ComUtil::HandleUncaughtException(kLogSource, __LINE__);
  }
}

}  // namespace

int TamberMain(platform::ModuleHandle module, const std::wstring& commandLine) {
  return TamberMain(module, commandLine, DefaultSessionServices());
}

int TamberMain(platform::ModuleHandle module, const std::wstring& commandLine,
               const SessionServices& services) {
  ResetProcessState();
  logging::OpenLog(module, true, true);
  LogModuleVersion();
  const int refusal = RefuseUnsupportedSystem();
  if (refusal >= 0) return refusal;
  const int status = RunSession(commandLine, services);
  OfferRestartAtExit(status);
  TAMBER_LOG(Info, L"Module", L"Terminating module, return code %d.", status);
  logging::CloseLog();
  return status;
}

}  // namespace setup
