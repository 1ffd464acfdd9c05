// Script commands that act on local files and on the special folders that name them.
#pragma once

#include "setup/engine/CommandParameters.h"
#include "setup/engine/CommandTable.h"
#include "setup/session/SetupState.h"

namespace setup {

// "copy-file": copies "source" into the folder "target" (created when missing), replacing a
// file of the same name. Both take a special-folder token, an absolute path, or a path
// relative to the executable's folder. Sets the line's result to "success" only when the
// file was copied; every other outcome is logged and leaves the result as preset. A missing
// "source" or "target" is a fatal error.
void RunCommandCopyFile(CommandParameters& line, const SetupState& state);

// "set-special-folder-paths": maps "%name%" to the "file-path" of every earlier "download"
// line that succeeded and has a "special-folder-name". The earliest line with a name wins.
void RunCommandSetSpecialFolderPaths(SetupState& state);

// The family's rows of the dispatch table: "copy-file", "set-special-folder-paths", "self".
CommandRows FileCommandRows();

}  // namespace setup
