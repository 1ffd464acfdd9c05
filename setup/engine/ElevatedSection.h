// Elevated sections. While a section is open in an instance without administrator rights,
// its delegated commands go to an elevated instance of the program; when that instance
// returns, the section's lines are marked done.
#pragma once

#include <string>

#include "setup/engine/CommandParameters.h"
#include "setup/engine/CommandTable.h"
#include "setup/engine/RunFrame.h"
#include "setup/session/SetupState.h"

namespace setup {

// A delegated command inside an open section: the elevated instance runs the section; on
// its return (other than 2) the section's lines are marked "success" up to the terminator
// line, which the loop runs next. Status 2 stops the run.
Flow DelegateToElevatedInstance(RunFrame& frame, CommandParameters& line);

// Marks lines `start`.. of the script "success" until the first line whose command has the
// trait `terminator` (exclusive), leaving state.script.currentLine on the line before it (or
// on `count` when there is none). A marked line of a kTakesOverDownload command also marks
// the nearest earlier line of that command whose uri ends with its uri. A negative start is
// a fatal error.
void CloseElevatedCommands(SetupState& state, int start, int count, CommandTrait terminator);

}  // namespace setup
