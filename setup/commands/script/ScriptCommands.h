// Commands about the script itself: "end-if" closes the innermost conditional block, "save"
// writes the working copy now.
#pragma once

#include "setup/engine/CommandTable.h"

namespace setup {

// The family's rows of the dispatch table.
CommandRows ScriptCommandRows();

}  // namespace setup
