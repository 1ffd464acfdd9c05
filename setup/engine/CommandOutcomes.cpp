#include "setup/engine/CommandOutcomes.h"

#include "logging/Log.h"
#include "setup/session/ProcessState.h"

namespace setup {
namespace {
constexpr char kLogSource[] = "Tamber4Setup";
}  // namespace

Flow StopRunIf(RunFrame& frame, bool stop) {
  if (!stop) return Flow::Next;
  frame.status = RebootDerivedStatus(frame.state);
  return Flow::Stop;
}

Flow StopForRestart(RunFrame& frame, bool restart) {
  if (!restart) return Flow::Next;
  frame.status = RebootDerivedStatus(frame.state);
  if (!frame.state.isElevatedInstance) processState().rebootCommandExecuted = true;
  return Flow::Stop;
}

Flow FailRunUnless(RunFrame& frame, bool succeeded) {
  if (succeeded) return Flow::Next;
  frame.status = kRunFail;
  return Flow::Stop;
}

Flow FailRunUnlessLeavingLine(RunFrame& frame, bool succeeded) {
  if (succeeded) return Flow::Next;
  frame.status = kRunFail;
  return Flow::StopUnstored;
}

Flow TakeFolderPermissionsStatus(RunFrame& frame, int status) {
  frame.status = status;
  if (!frame.state.isElevatedInstance) return Flow::Next;
  if (status == kRunSuccess)
    TAMBER_LOG(Info, L"Run", L"Fixed folder permissions, exiting elevated instance.");
  else
    TAMBER_LOG(Error, L"Run", L"Failed to fix folder permissions, exiting elevated instance.");
  return Flow::StopUnstored;
}

}  // namespace setup
