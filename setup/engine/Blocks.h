// Conditional blocks: a conditional line whose condition is false skips the lines up to its
// matching "end-if"; a block that runs stays open (its line without a "success" result)
// until its "end-if" marks the conditional line "success".
#pragma once

#include "setup/engine/CommandParameters.h"
#include "setup/engine/CommandTable.h"
#include "setup/engine/RunFrame.h"

namespace setup {

// A conditional command's outcome: when the condition does not hold (the handler has
// already marked the line "success") the block is skipped.
Flow SkipBlockUnless(RunFrame& frame, bool conditionHolds);

// A line met while skipping: marked "success"; nested conditional lines and their "end-if"
// lines are counted, nothing runs. `entry`: the line's command in the table, or null.
void SkipLineInBlock(RunFrame& frame, const CommandEntry* entry, CommandParameters& line);

// "end-if" outside a skipped block: marks the conditional line of the innermost open block
// "success" in the script. Does nothing when no block is open.
void CloseInnermostBlock(RunFrame& frame);

// Remembers line `index`, as just stored in the script, when it opens a block that is still
// open. Lines are recorded in script order. `entry`: the line's command in the table, or null.
void TrackOpenBlock(RunFrame& frame, int index, const CommandEntry* entry,
                    const CommandParameters& line);

// Forgets the open blocks whose conditional line is at `index` or later: those lines have
// been marked "success" by other means (an elevated section's close).
void ForgetOpenBlocksFrom(RunFrame& frame, int index);

}  // namespace setup
