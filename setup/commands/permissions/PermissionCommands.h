// The owner and access rights of a folder: "validate-folder-permissions".
#pragma once

#include "setup/engine/CommandTable.h"

namespace setup {

// The family's rows of the dispatch table. A row without a handler is recognised but not
// carried out yet: its line logs "Unhandled command" and is marked "success".
CommandRows PermissionCommandRows();

}  // namespace setup
