// The per-line outcome of a run, read from its working copy: each line's place in the
// script file, its command and its result.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/tamber4sim/RunOutcome.h"

namespace tamber4sim {

// The lines of `workingCopy` (a host path), comments left out. `scriptBytes` is the script
// the working copy was made from, when known: its own line numbers (blank lines counted)
// are used when its lines match the working copy's; otherwise the lines are numbered as
// the working copy holds them. `lastProcessed` is the working-copy position of the last line
// the run started (0 when not known): when it has no result, the run stopped there.
std::vector<LineOutcome> LineOutcomes(const std::filesystem::path& workingCopy,
                                      const std::string& scriptBytes, int lastProcessed);

// "  s.crvdat:3  execute  success" for each line, after a heading naming the copy.
void PrintLineOutcomes(const std::filesystem::path& workingCopy,
                       const std::vector<LineOutcome>& lines, std::FILE* out);

}  // namespace tamber4sim
