// The session driver: the start-up probes of a run, the command line and the choice of the
// script, then the interpreter.
#pragma once

#include <string>

#include "setup/session/SessionServices.h"
#include "setup/session/SetupState.h"

namespace setup {

// Runs one session for `commandLine` (the whole process command line) and returns its
// RunStatus: probes the system, rights, folders and languages into `state`, chooses the
// message language, parses the command line, chooses or downloads the script and
// interprets it.
int Run(SetupState& state, const std::wstring& commandLine, const SessionServices& services);

}  // namespace setup
