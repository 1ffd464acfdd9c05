#include "setup/engine/ElevatedSection.h"

#include <algorithm>
#include <optional>

#include "ComUtil/IssueError.h"
#include "logging/Log.h"
#include "setup/engine/Blocks.h"
#include "setup/engine/CommandTable.h"
#include "setup/engine/RunStatus.h"
#include "setup/engine/ScriptFile.h"
#include "setup/session/ScriptChoice.h"
#include "text/Format.h"

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
  for (const int index : state.script.EarlierLinesOf(command, start)) {
    CommandParameters earlier;
    earlier.Parse(state.script.lines[static_cast<std::size_t>(index)]);
    if (!EndsWith(earlier.GetParameter(L"uri"), uri)) continue;
    TAMBER_LOG(Info, L"CloseElevatedCommands", L"Setting result for line number %d: '%s' with %s '%s' to '%s'.",
               index, earlier.CommandName(), L"uri", earlier.GetParameter(L"uri"), ResultWord(LineResult::Success));
    earlier.SetResult(LineResult::Success);
    state.script.Set(index, earlier.Serialize());
    return;
  }
}

// The command of line `index`.
std::wstring CommandAt(const RunFrame& frame, int index) {
  CommandParameters line;
  line.Parse(frame.state.script.lines[static_cast<std::size_t>(index)]);
  return line.CommandName();
}

// The first line in (from, end) whose command has `trait`, or `end`.
int FindLineWith(const RunFrame& frame, int from, int end, CommandTrait trait) {
  for (int index = from + 1; index < end; ++index)
    if (frame.commands.Has(CommandAt(frame, index), trait)) return index;
  return end;
}

void MarkLine(SetupState& state, int index) {
  CommandParameters line;
  line.Parse(state.script.lines[static_cast<std::size_t>(index)]);
  TAMBER_LOG(Info, L"CloseElevatedCommands", L"Setting result for line number %d: '%s' to '%s'.",
             index, line.CommandName(), ResultWord(LineResult::Success));
  line.SetResult(LineResult::Success);
  state.script.Set(index, line.Serialize());
}

// A block whose opener or "end-if" lies inside the marked lines [start, end) and whose other
// side lies outside: that side is marked too, so that no later run meets half a block.
void MarkCutBlocks(RunFrame& frame, int start, int end) {
  int unclosed = 0;  // blocks opened inside, still open at `end`
  for (int index = start; index < end; ++index) {
    const std::wstring command = CommandAt(frame, index);
    if (frame.commands.Has(command, kConditional)) {
      ++unclosed;
    } else if (frame.commands.Has(command, kClosesBlock)) {
      if (unclosed > 0)
        --unclosed;
      else
        CloseInnermostBlock(frame);  // a block opened before the section
    }
  }
  int nested = 0;
  for (int index = end; unclosed > 0 && index < frame.lineCount; ++index) {
    const std::wstring command = CommandAt(frame, index);
    if (frame.commands.Has(command, kConditional)) {
      ++nested;
    } else if (frame.commands.Has(command, kClosesBlock)) {
      if (nested > 0) {
        --nested;
      } else {
        MarkLine(frame.state, index);
        --unclosed;
      }
    }
  }
}

// The stronger of two statuses as restart requests: a section that asks for nothing or for
// a restart when convenient keeps an earlier section's request for more.
int StrongerRestart(int earlier, int status) {
  auto rank = [](int s) { return s == kRunRebootNow ? 2 : s == kRunReboot ? 1 : 0; };
  const bool restartOrSuccess =
      status == kRunSuccess || status == kRunReboot || status == kRunRebootNow;
  return restartOrSuccess && rank(earlier) > rank(status) ? earlier : status;
}

// A line that runs on every run: marked "repeat", or of a command that marks it so.
bool StaysRunnable(const CommandTable& commands, const CommandParameters& line) {
  return line.ResultIs(LineResult::Repeat) || commands.Has(line.CommandName(), kRunsEveryRun);
}

// A line of the section that is not delegated and runs on every run.
bool RunsAgainAfterSection(const RunFrame& frame, int index) {
  CommandParameters line;
  line.Parse(frame.state.script.lines[static_cast<std::size_t>(index)]);
  return !frame.commands.Has(line.CommandName(), kDelegated) && StaysRunnable(frame.commands, line);
}

// The lines of the working copy the elevated instance just waited for wrote; none when it
// was given no working copy or left none.
std::optional<std::vector<std::wstring>> ElevatedInstanceLines(RunFrame& frame) {
  if (frame.workingCopy.empty()) return std::nullopt;
  const std::wstring copy = ElevatedWorkingCopy(frame.state, frame.workingCopy,
                                                text::DecimalText(frame.state.spawnCount - 1));
  if (copy.empty()) return std::nullopt;
  return ReadScriptLines(copy, std::wstring());
}

// The line of a stop that the elevated instance just waited for left to this run: the
// first line after `delegated` and before `sectionEnd` of a command that stops in the parent
// and that the instance's working copy shows unrun; -1 when there is none (the instance ran
// its section to the end). Without the instance's working copy, an elevated execute's
// restart now stops at the first line after it that may stop for a restart.
int FindStopLeftByInstance(RunFrame& frame, const CommandParameters& delegatedLine, int delegated,
                           int sectionEnd) {
  const std::optional<std::vector<std::wstring>> lines = ElevatedInstanceLines(frame);
  if (!lines) {
    const bool restartNow = frame.commands.Has(delegatedLine.CommandName(), kRestartNowEndsSection) &&
                            frame.status == kRunRebootNow;
    const int end = restartNow ? FindLineWith(frame, delegated, sectionEnd, kStopsForRestart) : sectionEnd;
    return end < sectionEnd ? end : -1;
  }
  const int last = std::min(sectionEnd, static_cast<int>(lines->size()));
  for (int index = delegated + 1; index < last; ++index) {
    CommandParameters line;
    line.Parse((*lines)[static_cast<std::size_t>(index)]);
    if (frame.commands.Has(line.CommandName(), kStopsInParent) && !line.AlreadyRan()) return index;
  }
  return -1;
}

}  // namespace

int FindSectionEnd(const RunFrame& frame, int opener) {
  return FindLineWith(frame, opener, frame.lineCount, kClosesSection);
}

Flow PassSectionEnd(RunFrame& frame, int index, Flow flow) {
  if (index != frame.elevatedSectionEnd) return flow;
  frame.elevatedSectionEnd = -1;
  if (!frame.state.isElevatedInstance) {
    frame.state.inElevatedSection = false;
    return flow;
  }
  if (!frame.delegatedRanInSection || flow == Flow::Stop || flow == Flow::StopUnstored) return flow;
  frame.status = RebootDerivedStatus(frame.state);
  return Flow::Stop;
}

bool StopsInParent(const RunFrame& frame) {
  return frame.state.isElevatedInstance && frame.elevatedSectionEnd >= 0 &&
         frame.delegatedRanInSection;
}

Flow LeaveStopToParent(RunFrame& frame, const CommandParameters& line) {
  TAMBER_LOG(Info, L"Run", L"Line %d: '%s' stops the run; leaving it to the instance that started this one.",
             frame.state.script.currentLine + 1, line.CommandName());
  frame.status = RebootDerivedStatus(frame.state);
  return Flow::StopUnstored;
}

bool IsForcedStop(const RunFrame& frame) {
  return frame.forcedStopLine >= 0 && frame.forcedStopLine == frame.state.script.currentLine;
}

Flow DelegateToElevatedInstance(RunFrame& frame, CommandParameters& line) {
  const int earlierStatus = frame.status;
  const int delegated = frame.state.script.currentLine;
  frame.status = frame.services.spawnElevatedInstance(frame.state, line, frame.workingCopy);
  if (frame.status == kRunFail) return Flow::StopUnstored;
  frame.status = StrongerRestart(earlierStatus, frame.status);
  // A restart or abort the instance left to this run ends the marked lines at its line,
  // which the loop runs next, forced; the opener stays unmarked, so that the rest of the
  // section runs after the restart. Otherwise the section ends at its closer as usual.
  const int sectionEnd = frame.elevatedSectionEnd < 0 ? frame.lineCount : frame.elevatedSectionEnd;
  frame.forcedStopLine = FindStopLeftByInstance(frame, line, delegated, sectionEnd);
  const bool stopLeft = frame.forcedStopLine >= 0;
  const int end = stopLeft ? frame.forcedStopLine : sectionEnd;
  const int start = stopLeft ? frame.elevatedSectionStart + 1 : frame.elevatedSectionStart;
  CloseElevatedCommands(frame.state, start, end, kClosesSection);
  // The loop goes on with the line that ends the marked lines.
  if (frame.state.script.currentLine == end) --frame.state.script.currentLine;
  ForgetOpenBlocksFrom(frame, start);
  MarkCutBlocks(frame, start, end);
  for (int index = start; index < end; ++index)
    if (RunsAgainAfterSection(frame, index)) frame.rerunAfterSection.push_back(index);
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
    const std::wstring& text = script.lines[static_cast<std::size_t>(script.currentLine)];
    CommandParameters line;
    line.Parse(text);
    if (commands.Has(line.CommandName(), terminator)) {
      --script.currentLine;
      return;
    }
    // A line that runs on every run stays runnable.
    if (StaysRunnable(commands, line)) continue;
    MarkLine(state, script.currentLine);
    if (commands.Has(line.CommandName(), kTakesOverDownload))
      MarkEarlierDownload(state, start, line.CommandName(), line.GetParameter(L"uri"));
  }
}

}  // namespace setup
