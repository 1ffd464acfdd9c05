// The "execute" command: runs a program named by the script, directly or through the
// elevation prompt, optionally brings its window to the front, waits for it and turns its
// exit code into a restart request or an abort request.
#pragma once

#include <cstdint>
#include <string>

#include "setup/engine/CommandParameters.h"
#include "setup/engine/CommandTable.h"
#include "setup/session/SetupState.h"

namespace setup {

// Runs the "execute" line `line`. Returns false when the program could not be started (or
// its path named an unknown special folder): the run then fails. A missing program is
// skipped ("if-exists" "yes") or flags the run for abort, and returns true. Sets the line's
// result unless the line was skipped. A failing wait for the program is a fatal error.
bool RunCommandExecute(CommandParameters& line, SetupState& state);

// The family's row of the dispatch table: "execute".
CommandRows ExecuteCommandRows();

}  // namespace setup
