#include "setup/commands/prompts/PromptCommands.h"

#include "logging/Log.h"
#include "platform/UserInterface.h"
#include "setup/commands/registry/RegistryCommands.h"
#include "setup/engine/CommandOutcomes.h"
#include "setup/engine/ElevatedSection.h"
#include "setup/engine/ParameterDeclarations.h"
#include "setup/session/Messages.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "PromptCommands";

// Asks the line's Yes/No question and returns the abort request of the answer given. A box
// that could not be shown (0) counts as an answer other than Yes.
bool AskWhetherToAbort(const CommandParameters& line, bool abortOnYes, bool abortOnNo) {
  namespace mb = platform::mb;
  const std::wstring message = LineMessage(line);
  const std::wstring title = LineTitle(line);
  const int answer = TamberMessageBox(title, message, std::wstring(),
                                      mb::YesNo | mb::IconQuestion | mb::DefButton2);
  return answer == mb::IdYes ? abortOnYes : abortOnNo;
}

void ShowNotice(const CommandParameters& line) {
  // The message is looked up first, as the log shows.
  const std::wstring message = LineMessage(line);
  const std::wstring title = LineTitle(line);
  TamberMessageBox(title, message, line.GetParameter(L"icon"), platform::mb::UserIcon);
}

bool DecideAbort(const CommandParameters& line, const SetupState& state) {
  if (state.abortRequested) return true;
  if (line.IsYes(L"force")) return true;
  return line.IsYes(L"if-registry-check") && CheckRegistry(line);
}

}  // namespace

void RunCommandAlert(CommandParameters& line, SetupState& state) {
  const bool shown = !line.IsYes(L"if-registry-check") || CheckRegistry(line);
  if (shown) {
    const bool abortOnYes = line.IsYes(L"yes-no-set-abort-on-yes");
    const bool abortOnNo = line.IsYes(L"yes-no-set-abort-on-no");
    if (abortOnYes || abortOnNo)
      state.abortRequested = AskWhetherToAbort(line, abortOnYes, abortOnNo);
    else
      ShowNotice(line);
  }
  line.SetResult(LineResult::Success);
}

bool RunCommandAbort(CommandParameters& line, SetupState& state, bool forced) {
  const bool abort = forced || DecideAbort(line, state);
  if (abort) {
    TAMBER_LOG(Info, L"RunCommandAbort", L"Aborting");
    const std::wstring message = LineMessage(line);
    if (!message.empty())
      TamberMessageBox(LineTitle(line), message, line.GetParameter(L"icon"),
                       platform::mb::UserIcon);
    DeleteRegistryRunOnce(kSelfRunOnceValueName);
  } else {
    TAMBER_LOG(Info, L"RunCommandAbort",
               L"Not Aborting (use the force=yes parameter to force an abort).");
  }
  line.SetResult(LineResult::Success);
  return abort;
}

namespace {

// "abort": a decided abort stores the line and stops the run. In an elevated instance's
// section it is left to the parent, unless it fails the run (the instance's status 2 stops
// the parent too).
Flow RunAbort(RunFrame& frame, CommandParameters& line) {
  if (StopsInParent(frame) && !frame.state.abortRequested && DecideAbort(line, frame.state))
    return LeaveStopToParent(frame, line);
  return StopRunIf(frame, RunCommandAbort(line, frame.state, IsForcedStop(frame)));
}

}  // namespace

CommandRows PromptCommandRows() {
  static const CommandRow kRows[] = {
      {L"abort", RunAbort, kStopsInParent, nullptr,
       L"force:flag if-registry-check:flag" TAMBER_REGISTRY_CHECK_PARAMETERS TAMBER_BOX_PARAMETERS},
      {L"alert", Plain<RunCommandAlert>, kPlainCommand, nullptr,
       L"if-registry-check:flag yes-no-set-abort-on-yes:flag yes-no-set-abort-on-no:flag"
           TAMBER_REGISTRY_CHECK_PARAMETERS TAMBER_BOX_PARAMETERS},
  };
  return RowsOf(kRows);
}

}  // namespace setup
