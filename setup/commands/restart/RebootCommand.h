// The "reboot" command: whether the run stops here for a restart, the question when the
// script asks for one, and the RunOnce entry that resumes the script after the restart.
#pragma once

#include <string>

#include "setup/engine/CommandParameters.h"
#include "setup/engine/CommandTable.h"
#include "setup/session/SetupState.h"

namespace setup {

// "reboot". Stops the run (returns true) when the restart is forced ("force" "yes", or
// `restartForced`: the elevated section before asked for a restart now), when a restart
// when convenient is pending, or when the user answers Yes to the question that "force"
// "if-reboot-now" asks while a restart as soon as possible is pending; answering No lowers
// that request to "when convenient" and the run goes on. A stop on any line but the last
// registers this program with `workingCopy` in RunOnce (fatal when that fails). The line's
// result is "success".
bool RunCommandReboot(CommandParameters& line, SetupState& state, const std::wstring& workingCopy,
                      bool restartForced);

// The family's row of the dispatch table: "reboot".
CommandRows RestartCommandRows();

}  // namespace setup
