// Elevated sections: "requires-elevation" ... "end-elevation". While a section is open in
// an instance without administrator rights, its delegated commands go to an elevated
// instance of the program; when that instance returns, the section's lines are marked done.
#pragma once

#include <string>

#include "setup/engine/CommandParameters.h"
#include "setup/engine/RunFrame.h"
#include "setup/session/SetupState.h"

namespace setup {

// "requires-elevation": opens a section, or, before Vista for an administrator without
// force=yes, lets the section run here. Takes the section's title and message for the
// elevation failure box. The opening line is stored only in the latter case.
Flow RunRequiresElevation(RunFrame& frame, CommandParameters& line);

// "end-elevation": closes the section; the elevated instance stops here with the
// reboot-derived status.
Flow RunEndElevation(RunFrame& frame, CommandParameters& line);

// A delegated command inside an open section: the elevated instance runs the section; on
// its return (other than 2) the section's lines are marked "success" up to the terminator
// line, which the loop runs next. Status 2 stops the run.
Flow DelegateToElevatedInstance(RunFrame& frame, CommandParameters& line);

// Marks lines `start`.. of the script "success" until the line whose command is
// `terminator` (exclusive), leaving state.script.currentLine on the line before it (or on
// `count` when there is none). A marked "download" line also marks the nearest earlier
// "download" line whose uri ends with its uri. A negative start is a fatal error.
void CloseElevatedCommands(SetupState& state, int start, int count, const std::wstring& terminator);

}  // namespace setup
