#include "setup/commands/services/ServiceCommands.h"

#include "logging/Log.h"
#include "setup/engine/CommandOutcomes.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Tamber4Setup";

// A service start asked for only on Vista or later ("if-os-vista" "yes") is skipped before.
bool SkipServiceStartBeforeVista(CommandParameters& line) {
  if (line.GetParameter(L"if-os-vista") != L"yes") return false;
  TAMBER_LOG(Info, L"Run",
             L"'%s' command specified the '%s' parameter set to '%s', OS is not Vista or "
             L"higher, skipping command.",
             line.CommandName(), L"if-os-vista", L"yes");
  line.SetResult(LineResult::Success);
  return true;
}

// Windows Update is paused and resumed only on Vista or later.
bool SkipWindowsUpdateBeforeVista(CommandParameters& line) {
  TAMBER_LOG(Info, L"Run", L"'%s' command specified, OS is not Vista, skipping command.",
             line.CommandName());
  line.SetResult(LineResult::Success);
  return true;
}

Flow RunStartWindowsService(RunFrame& frame, CommandParameters& line) {
  RunCommandStartWindowsService(frame.state, line);
  return Flow::Next;
}

Flow RunWindowsUpdatePause(RunFrame& frame, CommandParameters& line) {
  RunCommandWindowsUpdatePause(line, RunWindowsUpdateClient(frame.state));
  return Flow::Next;
}

Flow RunWindowsUpdateResume(RunFrame& frame, CommandParameters& line) {
  RunCommandWindowsUpdateResume(frame.state, line, RunWindowsUpdateClient(frame.state));
  return Flow::Next;
}

}  // namespace

CommandRows ServiceCommandRows() {
  static const CommandRow kRows[] = {
      {L"start-windows-service", RunStartWindowsService, kDelegated, SkipServiceStartBeforeVista,
       L"name! abort-on-failure:flag if-os-vista:flag message title icon:error/info/warning/none"},
      {L"windows-update-pause", RunWindowsUpdatePause, kDelegated, SkipWindowsUpdateBeforeVista,
       L""},
      {L"windows-update-resume", RunWindowsUpdateResume, kDelegated, SkipWindowsUpdateBeforeVista,
       L""},
  };
  return RowsOf(kRows);
}

}  // namespace setup
