// Elevated sections. While a section is open in an instance without administrator rights,
// its delegated commands go to an elevated instance of the program; when that instance
// returns, the section's lines are marked done.
#pragma once

#include <string>

#include "setup/engine/CommandParameters.h"
#include "setup/engine/CommandTable.h"
#include "setup/engine/RunFrame.h"
#include "setup/session/SetupState.h"

namespace setup {

// A delegated command inside an open section: the elevated instance runs the section; on
// its return (other than 2) the section's lines are marked "success" up to its closer, which
// the loop runs next (or, when the instance left a restart or an abort to this run, from the
// line after the opener up to that line, which the loop then runs forced). Blocks cut by the
// marked lines' bounds are marked on both sides. A restart asked for by an earlier section
// stays unless this one asks for a stronger one. Status 2 stops the run.
Flow DelegateToElevatedInstance(RunFrame& frame, CommandParameters& line);

// In an elevated instance, inside the section it was started for (a delegated line of it
// ran): a line of a kStopsInParent command that decides to stop leaves the stop to the
// parent, so that a restart resumes the parent's working copy and an abort ends the parent.
bool StopsInParent(const RunFrame& frame);

// Stops the elevated instance before the current line, leaving it unrun for the parent,
// with the status of its restart requests.
Flow LeaveStopToParent(RunFrame& frame, const CommandParameters& line);

// Whether the current line is the stop the elevated instance left to this run.
bool IsForcedStop(const RunFrame& frame);

// The index of the section closer that ends the section opened at `opener`: the first line
// after it whose command closes a section, whatever its result; lineCount when there is none.
int FindSectionEnd(const RunFrame& frame, int opener);

// Called after the line at `index` ran. At the open section's closer the parent leaves the
// section, even when the closer was marked or skipped; the elevated instance that ran a
// delegated line of the section stops there with the status of its restart requests.
Flow PassSectionEnd(RunFrame& frame, int index, Flow flow);

// Marks lines `start`.. of the script "success" until the first line whose command has the
// trait `terminator` (exclusive), leaving state.script.currentLine on the line before it (or
// on `count` when there is none). A marked line of a kTakesOverDownload command also marks
// the nearest earlier line of that command whose uri ends with its uri. A negative start is
// a fatal error.
void CloseElevatedCommands(SetupState& state, int start, int count, CommandTrait terminator);

}  // namespace setup
