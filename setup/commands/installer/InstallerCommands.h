// Windows Installer packages: "install", "uninstall", "if-installed", "if-not-installed", "enable-msi-log".
#pragma once

#include "setup/engine/CommandTable.h"

namespace setup {

// The family's rows of the dispatch table. A row without a handler is recognised but not
// carried out yet: its line logs "Unhandled command" and is marked "success".
CommandRows InstallerCommandRows();

}  // namespace setup
