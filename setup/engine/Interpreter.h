// The interpreter: reads a script, runs its lines in order (skipping those that already
// ran, keeping conditional blocks and elevated sections), writes the processed working copy
// and returns the run status.
#pragma once

#include <string>

#include "setup/engine/CommandTable.h"
#include "setup/session/SessionServices.h"
#include "setup/session/SetupState.h"

namespace setup {

struct ScriptRun {
  std::wstring source;       // the script to read
  std::wstring workingCopy;  // where the processed script is written
  std::wstring prefix;       // text put in front of the script (a "self" line for web scripts)
};

// Interprets `run.source` with `commands` and returns the RunStatus. A script that cannot be
// read ends the run with 2 and writes nothing. Otherwise the working copy is written at the
// end of the run, also when an error that nothing caught ended it (logged, background jobs
// cancelled, status 2). A working copy other than the source is deleted before the first
// line runs.
int Interpret(SetupState& state, const ScriptRun& run, const SessionServices& services,
              const CommandTable& commands = ProgramCommands());

}  // namespace setup
