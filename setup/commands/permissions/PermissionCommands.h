// The owner and access rights of a folder: "validate-folder-permissions".
#pragma once

#include <string>

#include "setup/engine/CommandParameters.h"
#include "setup/engine/CommandTable.h"
#include "setup/session/SetupState.h"

namespace setup {

// "validate-folder-permissions": makes sure Administrators and SYSTEM have full control of
// "folder" and that it (or its "target" file) is owned by the process's user, repairing
// what is not so, and asking an elevated instance (run on `workingCopy`) to repair what
// this process cannot. Returns the RunStatus: 0; 2 for a failed repair in the elevated
// instance; or the status of the last elevated retry. The line's result is "failure" when
// that status is not 0. A missing parameter or folder and a volume without ACLs succeed.
int RunCommandValidateFolderPermissions(SetupState& state, CommandParameters& line,
                                        const std::wstring& workingCopy);

// Runs the system's takeown.exe on `folder` (one trailing backslash removed), recursively,
// without a window, and waits for it. True when it ran and returned exit code 0.
bool TakeOwnership(const std::wstring& folder);

// The family's rows of the dispatch table.
CommandRows PermissionCommandRows();

}  // namespace setup
