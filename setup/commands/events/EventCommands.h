// Signalling a waiting program through a cross-process event: "set-event".
#pragma once

#include "setup/engine/CommandParameters.h"
#include "setup/engine/CommandTable.h"

namespace setup {

// "set-event": when a program waits on the cross-process event "name" (its mutex exists),
// writes a new GUID into the shared memory under the mutex and sets the event named after
// the GUID that was there, waking the program. Always "success"; failures are logged.
void RunCommandSetEvent(CommandParameters& line);

// The family's rows of the dispatch table.
CommandRows EventCommandRows();

}  // namespace setup
