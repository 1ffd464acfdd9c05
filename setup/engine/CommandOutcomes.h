// How the commands whose results steer the run turn a handler's return value into the
// loop's next step. Dispatch table entries wrap their handler with one of these.
#pragma once

#include "setup/engine/RunFrame.h"

namespace setup {

// A handler whose outcome is only its line's result and the session state:
// Run(line, state).
template <auto Run>
Flow Plain(RunFrame& frame, CommandParameters& line) {
  Run(line, frame.state);
  return Flow::Next;
}

// A handler whose outcome is only its line's result: Run(line).
template <auto Run>
Flow LineOnly(RunFrame&, CommandParameters& line) {
  Run(line);
  return Flow::Next;
}

// "abort": when `stop`, the line is stored and the run stops with the reboot-derived status.
Flow StopRunIf(RunFrame& frame, bool stop);

// "reboot": when `restart`, the line is stored, the run takes the reboot-derived status and
// stops; outside the elevated instance the exit then offers the restart.
Flow StopForRestart(RunFrame& frame, bool restart);

// "download": when it failed, the run fails (status 2); the line keeps its result.
Flow FailRunUnless(RunFrame& frame, bool succeeded);

// "execute": when it failed, the run fails (status 2) and the line is left as it was.
Flow FailRunUnlessLeavingLine(RunFrame& frame, bool succeeded);

// "validate-folder-permissions": the run takes `status`; the elevated instance, which was
// started only to repair the folder, then stops and leaves the line as it was.
Flow TakeFolderPermissionsStatus(RunFrame& frame, int status);

}  // namespace setup
