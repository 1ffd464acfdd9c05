// The interpreter's state for one run of a script, and how a command tells the loop what
// comes next. Command handlers of the dispatch table work on a frame.
#pragma once

#include <string>
#include <vector>

#include "setup/engine/CommandParameters.h"
#include "setup/engine/RunJournal.h"
#include "setup/engine/RunStatus.h"
#include "setup/session/SessionServices.h"
#include "setup/session/SetupState.h"

namespace setup {

class CommandTable;

// What the loop does after a line: store the line's record back into the script or leave
// the script's text as it was, and go on or stop the run.
enum class Flow { Next, NextUnstored, Stop, StopUnstored };

struct RunFrame {
  RunFrame(SetupState& runState, const SessionServices& runServices,
           const CommandTable& runCommands, std::wstring runWorkingCopy)
      : state(runState),
        services(runServices),
        commands(runCommands),
        workingCopy(std::move(runWorkingCopy)) {}

  SetupState& state;
  const SessionServices& services;
  const CommandTable& commands;
  const std::wstring workingCopy;  // where the processed script is written
  int status = kRunSuccess;        // the run's RunStatus so far
  int pendingEndIf = 0;            // end-if lines still to consume while skipping a block
  int elevatedSectionStart = -1;   // index of the line that opened the last section
  // Index of that section's closer by position, or lineCount when it has none; -1 once
  // the loop has passed it.
  int elevatedSectionEnd = -1;
  bool delegatedRanInSection = false;  // the elevated instance ran a delegated line of it
  // The line of a restart or abort the elevated instance left to this run: it runs forced.
  int forcedStopLine = -1;
  // Lines of a section just handed over that run on every run: the parent runs them after
  // the instance returned, so that what they set is known to the lines after the section.
  std::vector<int> rerunAfterSection;
  int lineCount = 0;
  RunJournal* journal = nullptr;   // the run's progress on disk; null when it keeps none
  bool saveRequested = false;      // the current line asks for the working copy to be written
  CommandParameters lineRecord;    // the current line, parsed
  std::wstring lineText;           // the current line as stored back, its room kept line to line
  // The current line's command reached its handler: the line may act on the machine, so
  // the journal syncs before it acts and after it ends.
  bool lineActs = false;
  // Indices of the conditional lines before the current one whose block is still open (no
  // "success" result), ascending: the innermost open block is the last.
  std::vector<int> openBlocks;
};

}  // namespace setup
