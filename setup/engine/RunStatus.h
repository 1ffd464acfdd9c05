// The status of a run: the interpreter's result, the process exit code and the exit code
// of an elevated instance. The numbers are part of the program's interface: never renumber.
#pragma once

#include "setup/session/SetupState.h"

namespace setup {

enum RunStatus : int {
  kRunSuccess = 0,
  kRunRetry = 1,
  kRunFail = 2,
  kRunReboot = 3,
  kRunRebootNow = 4,
};

// The status a stop takes from the session: 2 when an abort was requested, otherwise 4, 3
// or 0 by the pending restart request.
inline int RebootDerivedStatus(const SetupState& state) {
  if (state.abortRequested) return kRunFail;
  if (state.rebootMode == kRebootAsSoonAsPossible) return kRunRebootNow;
  if (state.rebootMode == kRebootWhenConvenient) return kRunReboot;
  return kRunSuccess;
}

}  // namespace setup
