// tamber4sim commands: every command the program carries out and the parameters its lines
// may carry, read from the command table's declarations, so that the list is always the
// program's own.
#pragma once

#include <string>

#include "setup/engine/CommandTable.h"

namespace tamber4sim {

// One block per command: its name, then one line per declared parameter with what it takes.
std::string CommandListText(const setup::CommandTable& commands);

}  // namespace tamber4sim
