#include "setup/session/Session.h"

#include <vector>

#include "logging/Log.h"
#include "platform/Machine.h"
#include "platform/SystemInfo.h"
#include "setup/engine/Interpreter.h"
#include "setup/engine/ScriptFile.h"
#include "setup/session/CommandLine.h"
#include "setup/session/Language.h"
#include "setup/session/ProcessState.h"
#include "setup/session/ScriptChoice.h"
#include "setup/session/SessionFolders.h"
#include "setup/session/SystemVersion.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Tamber4Setup";

// The start-up probes: system version, rights, folders, and the languages of the user
// interface and of the messages.
void ProbeSystem(SetupState& state, const SessionServices& services) {
  state.isVistaOrLater = IsVistaOrLater();
  TAMBER_LOG(Info, L"Run", L"OS is%s Vista or above.", state.isVistaOrLater ? L"" : L" not");
  state.isAdmin = services.isProcessElevated();
  SetLoggingPath(state);
  GetWorkingFolder(state);
  const platform::LangId userUiLanguage = platform::system().UserDefaultUiLanguage();
  TAMBER_LOG(Info, L"Run", L"Default system UI language: 0x%04x, Default user UI language: 0x%04x.",
             platform::system().SystemDefaultUiLanguage(), userUiLanguage);
  state.uiLanguage = GetLanguageOverride();
  if (state.uiLanguage == 0) state.uiLanguage = userUiLanguage;
  processState().messageLanguage = GetBestLanguageId(state, state.uiLanguage);
}

}  // namespace

int Run(SetupState& state, const std::wstring& commandLine, const SessionServices& services) {
  TAMBER_LOG(Info, L"Run", L"Initializing with command line '%s'", commandLine);
  ProbeSystem(state, services);
  std::vector<std::wstring> args;
  if (!ParseCommandLine(state, commandLine, &args)) return 0;
  const ScriptChoice choice = ChooseScript(state, args, services);
  WarnAboutElevationSwitch(state);
  if (choice.status != 0 || choice.runEnded) return choice.status;
  return Interpret(state, {choice.source, choice.workingCopy, ScriptPrefix(state.rootUri)}, services);
}

}  // namespace setup
