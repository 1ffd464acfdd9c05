// Waiting for time to pass or for other processes to end: "wait".
#pragma once

#include "setup/engine/CommandTable.h"

namespace setup {

// The family's rows of the dispatch table. A row without a handler is recognised but not
// carried out yet: its line logs "Unhandled command" and is marked "success".
CommandRows ProcessCommandRows();

}  // namespace setup
