// The elevation protocol: whether this process has administrator rights, starting a
// program through the elevation prompt, and handing an elevated section to a second,
// elevated instance of this program. (Closing the section afterwards is
// CloseElevatedCommands in ElevatedSection.h.)
#pragma once

#include <string>

#include "platform/Types.h"
#include "setup/engine/CommandParameters.h"
#include "setup/session/SetupState.h"

namespace setup {

// Whether the process token grants access to an object reserved for the Administrators
// group. Every failure on the way is logged and counts as "not elevated". Logs
// "Process is [not ]elevated.".
bool IsProcessElevated();

// Starts `path` with `parameters` through the shell's "runas" verb (the elevation prompt).
// Returns the process handle, which the caller closes, or kNoHandle when the shell failed or
// the user refused the prompt (both logged).
platform::Handle ExecuteElevated(const std::wstring& path, const std::wstring& parameters);

// The parameters of an elevated instance: "/elevated", and with a working copy also the
// quoted working copy path and the spawn number.
std::wstring ElevatedInstanceParameters(const std::wstring& workingCopy, int spawnNumber);

// Runs the elevated section of `line` in an elevated instance of this program and waits for
// it. With a working copy path, saves the script there first and gives the instance the
// next spawn number. Sets the line's result and the restart request from the instance's
// exit code and returns that code: 0 success, 1 retry, 2 fail (also when the instance could
// not be started, after the section's message box), 3 and 4 restart requests, or any other
// code unchanged. A failing wait for the instance is a fatal error.
int SpawnElevatedInstance(SetupState& state, CommandParameters& line,
                          const std::wstring& workingCopy);

}  // namespace setup
