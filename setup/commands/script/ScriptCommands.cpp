#include "setup/commands/script/ScriptCommands.h"

#include "setup/engine/Blocks.h"

namespace setup {
namespace {

// "end-if" outside a skipped block marks its block's conditional line done.
Flow RunEndIf(RunFrame& frame, CommandParameters& line) {
  CloseInnermostBlock(frame);
  line.SetResult(LineResult::Success);
  return Flow::Next;
}

// "save": the loop marks the line and writes the working copy once the line is stored.
Flow RunSave(RunFrame& frame, CommandParameters&) {
  frame.saveRequested = true;
  return Flow::Next;
}

}  // namespace

CommandRows ScriptCommandRows() {
  static const CommandRow kRows[] = {
      {L"end-if", RunEndIf, kClosesBlock, nullptr, L""},
      {L"save", RunSave, kPlainCommand, nullptr, L""},
  };
  return RowsOf(kRows);
}

}  // namespace setup
