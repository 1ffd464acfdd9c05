// The per-line outcome of a run, read from its working copy: each line's place in the
// script file, its command and its result.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace tamber4sim {

// Prints the summary of `workingCopy` (a host path). `scriptBytes` is the script file the
// run started from, when it was a file of this host: its own line numbers (blank lines
// counted) are used when its lines match the working copy's; otherwise the lines are
// numbered as the working copy holds them.
void PrintRunSummary(const std::filesystem::path& workingCopy, const std::string& scriptName,
                     const std::string& scriptBytes, std::FILE* out);

}  // namespace tamber4sim
