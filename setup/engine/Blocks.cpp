#include "setup/engine/Blocks.h"

#include "logging/Log.h"
#include "setup/engine/CommandTable.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Tamber4Setup";

}  // namespace

Flow SkipBlockUnless(RunFrame& frame, bool conditionHolds) {
  if (conditionHolds) return Flow::Next;
  ++frame.pendingEndIf;
  return Flow::Next;
}

void SkipLineInBlock(RunFrame& frame, const CommandEntry* entry, CommandParameters& line) {
  line.SetResult(LineResult::Success);
  const unsigned traits = entry != nullptr ? entry->traits : kPlainCommand;
  if ((traits & kClosesBlock) != 0) {
    --frame.pendingEndIf;
    TAMBER_LOG(Info, L"Run", L"Pending end-if count decrementing to %d", frame.pendingEndIf);
  } else if ((traits & kConditional) != 0) {
    ++frame.pendingEndIf;
    TAMBER_LOG(Info, L"Run", L"Skipping if statement, incrementing end-if count to %d",
               frame.pendingEndIf);
  } else {
    TAMBER_LOG(Info, L"Run", L"Skipping (Pending end-if/ count: %d)", frame.pendingEndIf);
  }
}

void CloseInnermostBlock(RunFrame& frame) {
  if (frame.openBlocks.empty()) return;
  const int index = frame.openBlocks.back();
  frame.openBlocks.pop_back();
  CommandParameters opener;
  opener.Parse(frame.state.script.lines[static_cast<std::size_t>(index)]);
  TAMBER_LOG(Info, L"Run", L"Setting result for line number %d: '%s' to '%s'.", index,
             opener.CommandName(), ResultWord(LineResult::Success));
  opener.SetResult(LineResult::Success);
  frame.state.script.Set(index, opener.Serialize());
}

void TrackOpenBlock(RunFrame& frame, int index, const CommandEntry* entry,
                    const CommandParameters& line) {
  if (entry == nullptr || !entry->Has(kConditional)) return;
  if (line.ResultIs(LineResult::Success)) return;
  if (!frame.openBlocks.empty() && frame.openBlocks.back() >= index) return;
  frame.openBlocks.push_back(index);
}

void ForgetOpenBlocksFrom(RunFrame& frame, int index) {
  while (!frame.openBlocks.empty() && frame.openBlocks.back() >= index) frame.openBlocks.pop_back();
}

}  // namespace setup
