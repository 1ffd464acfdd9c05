// Which script a run interprets and where its working copy is written.
#pragma once

#include <string>
#include <vector>

#include "setup/session/SessionServices.h"
#include "setup/session/SetupState.h"

namespace setup {

struct ScriptChoice {
  int status = 0;           // a RunStatus; not 0 ends the run before any script is read
  std::wstring source;      // the script to read
  std::wstring workingCopy; // where the processed script is written
  bool runEnded = false;    // the run is over without a script (the elevated instance that
                            // only enabled the download service)
};

// Chooses the script from the command-line arguments (args[0] is the program): the given
// path or address, else the disc script, the update script or the first "Setup\*.crvdat"
// beside the executable, else the default web script. Logs the choice. A working copy path
// that cannot be made fails the run (status 2) before any script is read.
ScriptChoice ChooseScript(SetupState& state, const std::vector<std::wstring>& args,
                          const SessionServices& services);

// The elevated instance's working copy name for `source`: "Spawned" and `spawnNumber`
// inserted before the extension of the file name (appended when it has none).
std::wstring SpawnedScriptName(const std::wstring& source, const std::wstring& spawnNumber);

// The working copy an elevated instance writes when started with the parent's working copy
// `source` and `spawnNumber`: SpawnedScriptName's name in the target folder.
std::wstring ElevatedWorkingCopy(SetupState& state, const std::wstring& source,
                                 const std::wstring& spawnNumber);

// Warns when the "elevated" switch and the process's actual rights disagree.
void WarnAboutElevationSwitch(const SetupState& state);

}  // namespace setup
