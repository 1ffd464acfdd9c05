// The commands that open and close an elevated section: "requires-elevation" ...
// "end-elevation". The section's delegated lines go to an elevated instance of the program.
#pragma once

#include "setup/engine/CommandParameters.h"
#include "setup/engine/CommandTable.h"
#include "setup/engine/RunFrame.h"

namespace setup {

// "requires-elevation": opens a section, or, before Vista for an administrator without
// force=yes, lets the section run here. Takes the section's title and message for the
// elevation failure box. The opening line is stored only in the latter case.
Flow RunRequiresElevation(RunFrame& frame, CommandParameters& line);

// "end-elevation": closes the section; the elevated instance stops here with the
// reboot-derived status.
Flow RunEndElevation(RunFrame& frame, CommandParameters& line);

// The family's rows of the dispatch table.
CommandRows ElevationCommandRows();

}  // namespace setup
