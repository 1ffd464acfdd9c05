#include "setup/commands/elevation/ElevationCommands.h"

#include "logging/Log.h"
#include "setup/engine/CommandOutcomes.h"
#include "setup/engine/ElevatedSection.h"
#include "setup/engine/ParameterDeclarations.h"
#include "setup/session/Messages.h"

namespace setup {
namespace {
constexpr char kLogSource[] = "Tamber4Setup";
}  // namespace

Flow RunRequiresElevation(RunFrame& frame, CommandParameters& line) {
  SetupState& state = frame.state;
  const bool force = line.GetParameter(L"force") == L"yes";
  if (!state.isVistaOrLater && state.isAdmin && !force) {
    TAMBER_LOG(Info, L"Run",
               L"OS is not Vista or higher and user is an administrator, ignoring elevated "
               L"section. (Use force=yes to force elevation)");
    line.SetResult(LineResult::Success);
    return Flow::Next;
  }
  state.elevationTitle = LineTitle(line);
  state.elevationMessage = LineMessage(line);
  if (!state.isVistaOrLater)
    TAMBER_LOG(Info, L"Run", L"OS is XP, user is %san administrator, 'force' parameter is '%s', elevating.",
               state.isAdmin ? L"" : L"not ", force ? L"yes" : L"no (or NA)");
  TAMBER_LOG(Info, L"Run",
             L"Elevated section: execute commands will be processed in an elevated instance of "
             L"Tamber4Setup.exe.");
  state.inElevatedSection = !state.isElevatedInstance;
  frame.elevatedSectionStart = state.script.currentLine;
  frame.elevatedSectionEnd = FindSectionEnd(frame, frame.elevatedSectionStart);
  frame.delegatedRanInSection = false;
  // Left unmarked: the elevated instance must meet it again, and the section's close marks it.
  return Flow::NextUnstored;
}

Flow RunEndElevation(RunFrame& frame, CommandParameters& line) {
  line.SetResult(LineResult::Success);
  if (frame.state.isElevatedInstance) {
    frame.status = RebootDerivedStatus(frame.state);
    return Flow::StopUnstored;
  }
  frame.state.inElevatedSection = false;
  return Flow::Next;
}

CommandRows ElevationCommandRows() {
  static const CommandRow kRows[] = {
      {L"end-elevation", RunEndElevation, kClosesSection, nullptr, L""},
      {L"requires-elevation", RunRequiresElevation, kPlainCommand, nullptr,
       L"force:flag" TAMBER_BOX_PARAMETERS},
  };
  return RowsOf(kRows);
}

}  // namespace setup
