// The folders a session fixes at start-up.
#pragma once

#include "setup/session/SetupState.h"

namespace setup {

// Sets state.workingFolder to the executable's folder with a trailing backslash. When the
// executable's name cannot be had, logs the error and leaves it empty.
void GetWorkingFolder(SetupState& state);

// Sets state.loggingFolder, where installer logs go: the log file's folder while logging is
// on, otherwise "Corvane Log Files" in the user's Documents folder.
void SetLoggingPath(SetupState& state);

}  // namespace setup
