// tamber4sim run SCRIPT [--machine DIR] [--state DIR] [--json FILE] [ARGUMENT...]
// tamber4sim reboot [--machine DIR] [--state DIR] [--json FILE]
// tamber4sim check SCRIPT...
// tamber4sim keys
// tamber4sim commands
//
// The machine description in DIR (default ./tamber4sim-machine: machine.txt, registry.txt,
// drive_c/...) is written by a person and never by a run; a missing one is created as a
// Windows 10 machine. "run" starts from a fresh copy of it in the state folder (default
// DIR.state) and leaves there what the run changed; "reboot" restarts that machine: it
// runs the RunOnce entries as Windows does at the next logon and keeps the state. See
// Tool.cpp for what a run prints.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/sim/SimMachineKeys.h"
#include "setup/engine/CommandTable.h"
#include "tools/tamber4sim/CheckCommand.h"
#include "tools/tamber4sim/CommandList.h"
#include "tools/tamber4sim/Tool.h"

namespace {

constexpr int kUsageError = 64;

const char kUsage[] =
    "usage: tamber4sim run SCRIPT [--machine DIR] [--state DIR] [--json FILE] [ARGUMENT...]\n"
    "       tamber4sim reboot [--machine DIR] [--state DIR] [--json FILE]\n"
    "       tamber4sim check SCRIPT...\n"
    "       tamber4sim keys\n"
    "       tamber4sim commands\n"
    "\n"
    "run     runs SCRIPT (a file of this host, an address, or a path on the machine) with\n"
    "        the bootstrapper on a fresh copy of the machine described in DIR (default\n"
    "        ./tamber4sim-machine, created as a Windows 10 machine when missing), followed\n"
    "        by the ARGUMENTs (such as /quiet); the machine afterwards is kept in the state\n"
    "        folder (default DIR.state); exit code: the bootstrapper's\n"
    "reboot  restarts the machine in the state folder: runs its RunOnce entries as Windows\n"
    "        does at the next logon (a script that restarts continues there)\n"
    "--json  writes the outcome to FILE: status, line results, boxes, restarts, files and\n"
    "        registry values changed\n"
    "check   checks each SCRIPT without running it: commands, parameters, values, blocks,\n"
    "        sections and special folders; exit code 1 when a script has an error\n"
    "keys    lists every key of a machine description, with its values and default\n"
    "commands lists every command a script may use, with the parameters it takes\n";

// False on a malformed command line.
bool ParseOptions(int argc, char** argv, bool wantsScript, tamber4sim::Options* options) {
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--machine" || arg == "--state" || arg == "--json") {
      if (++i == argc) return false;
      (arg == "--machine" ? options->machineFolder
       : arg == "--state" ? options->stateFolder
                          : options->jsonFile) = argv[i];
    } else if (arg == "--help" || arg == "-h") {
      return false;
    } else if (wantsScript && options->script.empty()) {
      options->script = arg;
    } else if (wantsScript) {
      options->arguments.push_back(arg);
    } else {
      return false;
    }
  }
  if (options->stateFolder.empty()) options->stateFolder = options->machineFolder + ".state";
  return !wantsScript || !options->script.empty();
}

int Usage(int status) {
  std::fputs(kUsage, status == 0 ? stdout : stderr);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage(kUsageError);
  const std::string verb = argv[1];
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return Usage(0);
  if (verb == "help") return Usage(0);
  if (verb == "keys") {
    std::fputs(platform::sim::MachineKeysText().c_str(), stdout);
    return 0;
  }
  if (verb == "commands") {
    std::fputs(tamber4sim::CommandListText(setup::ProgramCommands()).c_str(), stdout);
    return 0;
  }
  if (verb == "check") {
    if (argc < 3) return Usage(kUsageError);
    return tamber4sim::RunCheckCommand(std::vector<std::string>(argv + 2, argv + argc));
  }
  const bool reboot = verb == "reboot";
  // "tamber4sim SCRIPT" is "tamber4sim run SCRIPT", as before the verbs.
  const int skip = verb == "run" || reboot ? 2 : 1;
  tamber4sim::Options options;
  if (!ParseOptions(argc - skip, argv + skip, !reboot, &options)) return Usage(kUsageError);
  return reboot ? tamber4sim::RebootMachine(options) : tamber4sim::RunScript(options);
}
