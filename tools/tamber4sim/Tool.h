// tamber4sim's run and reboot: the program on a simulated machine, with what it shows
// printed as it happens and the machine's state kept apart from its description.
#pragma once

#include <string>
#include <vector>

namespace tamber4sim {

struct Options {
  std::string script;
  std::string machineFolder = "tamber4sim-machine";  // the description, never written by a run
  std::string stateFolder;                           // what runs leave
  std::string jsonFile;                              // where the outcome goes, when set
  std::vector<std::string> arguments;
};

// Copies the description into the state folder (creating a default description first when
// there is none), runs the program with the script there, prints the log, the boxes, the
// working copies with their line results, the security changes and restart requests, and
// keeps the machine, and writes the outcome as JSON when asked. The bootstrapper's exit code, or 64 when the machine cannot be used.
int RunScript(const Options& options);

// Restarts the machine in the state folder: removes each RunOnce entry and runs it, this
// program's own through the bootstrapper. The last run's exit code (0 when none ran), or 64.
int RebootMachine(const Options& options);

}  // namespace tamber4sim
