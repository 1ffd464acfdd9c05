// The program's command line: arguments and switches.
#pragma once

#include <string>
#include <vector>

#include "setup/session/SetupState.h"

namespace setup {

// Cuts `commandLine` into `args` (emptied first; the program path is args[0]) and applies
// the switches ("-" or "/" followed by "elevated", "quiet" or "scripturl", exact case) to
// `state`. Tokens are separated by spaces only; a token that starts with a double quote
// runs to the next double quote. Unknown switches are logged and ignored. "scripturl"
// shows the web script's address in a box. Returns false only when "scripturl" was given:
// the run then ends with status 0.
bool ParseCommandLine(SetupState& state, const std::wstring& commandLine,
                      std::vector<std::wstring>* args);

}  // namespace setup
