// The "self" command: where a downloaded web script came from travels with its file.
#pragma once

#include "setup/engine/CommandParameters.h"
#include "setup/session/SetupState.h"

namespace setup {

// "self": when the run holds a root address (it downloaded its script), writes it into the
// line's "uri"; otherwise takes the root address from the line's "uri" (a later run of the
// written-back file). The line's result is "repeat": it runs on every run of the file.
void RunCommandSelf(CommandParameters& line, SetupState& state);

}  // namespace setup
