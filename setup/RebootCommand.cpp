#include "setup/RebootCommand.h"

#include "logging/Log.h"
#include "platform/CurrentProcess.h"
#include "platform/Machine.h"
#include "platform/UserInterface.h"
#include "setup/Messages.h"
#include "setup/RegistryCommands.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "RebootCommand";
const wchar_t kCategory[] = L"RunCommandReboot";

// A text of the restart question: the line's own (message id or wording), else message
// `defaultId` in the user's default language, which may be empty: there is no English
// fallback here.
std::wstring QuestionText(const CommandParameters& line, const wchar_t* idName,
                          const wchar_t* textName, std::uint32_t defaultId) {
  std::wstring text = LookupMessage(line.GetParameter(idName), line.GetParameter(textName));
  if (text.empty())
    text = LoadMessageText(defaultId, platform::process().ExecutableModule(),
                           UserDefaultPrimaryLanguage());
  return text;
}

// Asks whether to restart now. True for Yes.
bool UserWantsRestartNow(const CommandParameters& line) {
  const std::wstring title = QuestionText(line, L"message-id-title", L"title", kMsgSetupTitle);
  const std::wstring text =
      QuestionText(line, L"message-id-message", L"message", kMsgRestartQuestion);
  namespace mb = platform::mb;
  const bool now = TamberMessageBox(title, text, std::wstring(),
                                    mb::YesNo | mb::UserIcon | mb::SetForeground) == mb::IdYes;
  TAMBER_LOG(Info, kCategory, L"User elected to restart %s.",
             now ? L"now" : L"later, downgrading reboot-required status to 'later'");
  return now;
}

// Whether the run stops for a restart; may lower a pending restart now to "when convenient".
bool DecideStop(const CommandParameters& line, SetupState& state, bool restartForced) {
  const std::wstring force = line.GetParameter(L"force");
  if (restartForced || force == L"yes") return true;
  if (force == L"if-reboot-now" && state.rebootMode == kRebootAsSoonAsPossible) {
    if (UserWantsRestartNow(line)) return true;
    state.rebootMode = kRebootWhenConvenient;
    return false;  // lowered just now: the run goes on
  }
  return state.rebootMode == kRebootWhenConvenient;
}

}  // namespace

bool RunCommandReboot(CommandParameters& line, SetupState& state, const std::wstring& workingCopy,
                      bool restartForced) {
  const bool stop = DecideStop(line, state, restartForced);
  if (stop) {
    TAMBER_LOG(Info, kCategory, L"Reboot flagged.");
    const Script& script = state.script;
    if (script.currentLine + 1 < static_cast<int>(script.lines.size()))
      WriteRunOnceRegistryValue(std::wstring(), std::wstring(), workingCopy);
  } else {
    TAMBER_LOG(Info, kCategory, L"Reboot not required or forced.");
  }
  line.SetParameter(L"result", L"success");
  return stop;
}

}  // namespace setup
