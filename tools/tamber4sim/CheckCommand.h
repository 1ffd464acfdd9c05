// tamber4sim check SCRIPT...: the static checks of each script, printed in the compiler
// style "file:line: severity: text" (in colour on a terminal).
#pragma once

#include <string>
#include <vector>

namespace tamber4sim {

// Checks each file and prints its findings to stdout; 1 when a file has an error or cannot
// be read, else 0.
int RunCheckCommand(const std::vector<std::string>& files);

}  // namespace tamber4sim
