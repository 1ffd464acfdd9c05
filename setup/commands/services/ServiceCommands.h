// Windows services and Windows Update: "start-windows-service", "windows-update-pause", "windows-update-resume". None of them does anything before Vista when so asked.
#pragma once

#include "setup/engine/CommandTable.h"

namespace setup {

// The family's rows of the dispatch table. A row without a handler is recognised but not
// carried out yet: its line logs "Unhandled command" and is marked "success".
CommandRows ServiceCommandRows();

}  // namespace setup
