// Waiting for time to pass or for other processes to end: "wait".
#pragma once

#include <cstdint>

#include "setup/engine/CommandParameters.h"
#include "setup/engine/CommandTable.h"

namespace setup {

// How long "wait" pauses before looking again for a process of the wanted name when one
// has been seen ending a second time and no "life-span" gives the pause.
constexpr std::uint32_t kUnlimitedRecheckMilliseconds = 1000;

// "wait": pauses "seconds" seconds; or waits for the process "process-id" (one pass), or for
// every process whose executable is named "process-name", one after another, ending each by
// force (exit code 1) once it has run "life-span" seconds longer. Sets "success", also when
// no process was found or it could not be opened. Without any of these parameters it does
// nothing and leaves the preset result. A "seconds" that is not a positive number raises
// E_FAIL, which ends the run.
void RunCommandWait(CommandParameters& line);

// The family's rows of the dispatch table.
CommandRows ProcessCommandRows();

}  // namespace setup
