// The services, Windows Update and other programs' lines of a machine folder's machine.txt
// (see SimMachineFolder.cpp):
//   service = Spooler|4                    a service and its start type (2 automatic, 3 on
//                                          demand, 4 disabled); BITS and wuauserv are there
//   windows-update = no                    the Automatic Updates object cannot be created
//   running-process = C:\Tools\app.exe|5000
//                                          a program running when the run starts, for so
//                                          many milliseconds or "forever"; a third field
//                                          "ignores-termination" keeps it from being ended.
//                                          Not written back: it lives for one run.
#pragma once

#include <string>

#include "platform/sim/SimMachine.h"

namespace platform::sim {

// Applies one of these keys; false when the key is not one of them or its value is bad.
bool ApplyCoordinationFact(SimMachine& machine, const std::string& key, const std::string& value);

// The services and Windows Update lines, in the format ApplyCoordinationFact reads.
std::string CoordinationFactsText(SimMachine& machine);

}  // namespace platform::sim
