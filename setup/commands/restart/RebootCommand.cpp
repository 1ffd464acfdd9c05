#include "setup/commands/restart/RebootCommand.h"

#include "logging/Log.h"
#include "setup/commands/registry/RegistryCommands.h"
#include "setup/engine/CommandOutcomes.h"
#include "setup/engine/ElevatedSection.h"
#include "setup/engine/ParameterDeclarations.h"
#include "setup/session/Messages.h"
#include "setup/session/RestartQuestion.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "RebootCommand";
const wchar_t kCategory[] = L"RunCommandReboot";

// Asks whether to restart now, in the line's own texts when it has them. True for Yes.
bool UserWantsRestartNow(const CommandParameters& line) {
  // Title first, then message: each lookup logs, so they are not arguments of one call.
  const std::wstring title = LineTitle(line);
  const std::wstring message = LineMessage(line);
  const bool now = AskToRestartNow(title, message);
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
  line.SetResult(LineResult::Success);
  return stop;
}

namespace {

// A stop for a restart ends the run; the elevated section just before may have asked for a
// restart now, or left this line's stop to this run, which forces it. In an elevated
// instance's section the stop is left to the parent, and so is a pending restart now, which
// the parent carries out at this line.
Flow RunReboot(RunFrame& frame, CommandParameters& line) {
  if (StopsInParent(frame) &&
      DecideStop(line, frame.state, frame.state.rebootMode == kRebootAsSoonAsPossible))
    return LeaveStopToParent(frame, line);
  const bool restartForced = frame.status == kRunRebootNow || IsForcedStop(frame);
  return StopForRestart(frame,
                        RunCommandReboot(line, frame.state, frame.workingCopy, restartForced));
}

}  // namespace

CommandRows RestartCommandRows() {
  static const CommandRow kRows[] = {
      {L"reboot", RunReboot, kStopsForRestart | kStopsInParent, nullptr,
       L"force:yes/if-reboot-now title message message-id-title:message-id"
       L" message-id-message:message-id"}};
  return RowsOf(kRows);
}

}  // namespace setup
