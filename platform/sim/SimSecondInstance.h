// The second instance of the program on the simulated machine: what starting the program's
// own executable does there. It runs the program's entry point again, inside this process
// and against the same machine, as a second process of the program with its own process id
// and token; the process-wide values of the program (its log, the values of ProcessState)
// are set aside for it and put back when it ends.
#pragma once

#include <cstdint>
#include <string>

namespace platform::sim {

class SimMachine;

// Runs setup::TamberMain on `machine` with `commandLine` (the executable's quoted path and
// the parameters), with the full administrator token when `elevated`. Returns its exit code.
std::uint32_t RunSecondInstance(SimMachine& machine, const std::wstring& commandLine,
                                bool elevated);

}  // namespace platform::sim
