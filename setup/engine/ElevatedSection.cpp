#include "setup/engine/ElevatedSection.h"

#include "ComUtil/IssueError.h"
#include "logging/Log.h"
#include "setup/engine/Blocks.h"
#include "setup/engine/CommandTable.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Tamber4Setup";

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Marks the nearest line of `command` before `start` that fetched the same address as a
// download of the section (its uri ends with `uri`): the elevated instance took it over.
void MarkEarlierDownload(SetupState& state, int start, const std::wstring& command,
                         const std::wstring& uri) {
  for (int index = start - 1; index >= 0; --index) {
    std::wstring& text = state.script.lines[static_cast<std::size_t>(index)];
    CommandParameters earlier;
    earlier.Parse(text);
    if (earlier.CommandName() != command || !EndsWith(earlier.GetParameter(L"uri"), uri))
      continue;
    TAMBER_LOG(Info, L"CloseElevatedCommands", L"Setting result for line number %d: '%s' with %s '%s' to '%s'.",
               index, earlier.CommandName(), L"uri", earlier.GetParameter(L"uri"), ResultWord(LineResult::Success));
    earlier.SetResult(LineResult::Success);
    text = earlier.Serialize();
    return;
  }
}

}  // namespace

Flow DelegateToElevatedInstance(RunFrame& frame, CommandParameters& line) {
  frame.status = frame.services.spawnElevatedInstance(frame.state, line, frame.workingCopy);
  if (frame.status == kRunFail) return Flow::StopUnstored;
  // An elevated "execute" that needs an immediate restart ends its instance at "reboot":
  // this instance runs that line, and the section stays open for the run after the restart.
  const bool restartNow =
      frame.commands.Has(line.CommandName(), kRestartNowEndsSection) && frame.status == kRunRebootNow;
  const int start = restartNow ? frame.elevatedSectionStart + 1 : frame.elevatedSectionStart;
  CloseElevatedCommands(frame.state, start, frame.lineCount,
                        restartNow ? kStopsForRestart : kClosesSection);
  ForgetOpenBlocksFrom(frame, start);
  return Flow::NextUnstored;
}

void CloseElevatedCommands(SetupState& state, int start, int count, CommandTrait terminator) {
  const CommandTable& commands = ProgramCommands();
  TAMBER_LOG(Info, L"CloseElevatedCommands",
             L"Elevated instance of Tamber4Setup complete, flagging commands in the elevated "
             L"section as succeeded. (See the processed script for actual results).");
  TAMBER_THROW_LAST_ERROR_IF_FALSE(start >= 0);
  Script& script = state.script;
  for (script.currentLine = start; script.currentLine < count; ++script.currentLine) {
    std::wstring& text = script.lines[static_cast<std::size_t>(script.currentLine)];
    CommandParameters line;
    line.Parse(text);
    if (commands.Has(line.CommandName(), terminator)) {
      --script.currentLine;
      return;
    }
    TAMBER_LOG(Info, L"CloseElevatedCommands", L"Setting result for line number %d: '%s' to '%s'.",
               script.currentLine, line.CommandName(), ResultWord(LineResult::Success));
    line.SetResult(LineResult::Success);
    text = line.Serialize();
    if (commands.Has(line.CommandName(), kTakesOverDownload))
      MarkEarlierDownload(state, start, line.CommandName(), line.GetParameter(L"uri"));
  }
}

}  // namespace setup
