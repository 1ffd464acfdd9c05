#include "setup/engine/Interpreter.h"

#include <optional>

#include "ComUtil/ExceptionLog.h"
#include "logging/Log.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "setup/engine/Blocks.h"
#include "setup/engine/ElevatedSection.h"
#include "setup/engine/ScriptFile.h"
#include "setup/session/Paths.h"
#include "setup/session/ProcessState.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Tamber4Setup";

// Puts `line`, whose command is `entry` in the table (or null), back into the script as
// line `index`.
void StoreLine(RunFrame& frame, int index, const CommandEntry* entry, const CommandParameters& line) {
  line.SerializeInto(frame.lineText);
  frame.state.script.Set(index, frame.lineText);
  TrackOpenBlock(frame, index, entry, line);
}

// A line whose command has no handler: comments succeed, an empty command keeps its preset
// "failure", anything else succeeds after a Warning naming the line.
Flow RunUnhandled(CommandParameters& line, const std::wstring& text) {
  const std::wstring& command = line.CommandName();
  if (command.empty()) return Flow::Next;
  if (command[0] != L'#')
    TAMBER_LOG(Warning, L"Run", L"Unhandled command: '%s'.", text);
  line.SetResult(LineResult::Success);
  return Flow::Next;
}

// `entry`: the line's command in the table, or null.
Flow Dispatch(RunFrame& frame, const CommandEntry* entry, CommandParameters& line,
              const std::wstring& text) {
  // Some commands do nothing before Vista; they are skipped even inside a section.
  if (entry != nullptr && entry->skipBeforeVista != nullptr && !frame.state.isVistaOrLater &&
      entry->skipBeforeVista(line))
    return Flow::Next;
  // What the lines before did must be on disk before this one acts on the machine, and
  // what it did as soon as it ends. A conditional only looks: rerun after a cut, it decides
  // as it did, for nothing has acted since the last sync. So a block it skips needs no
  // record until a line after it acts.
  if (entry != nullptr && entry->handler && !entry->Has(kConditional) && frame.journal != nullptr) {
    frame.journal->Sync(frame.state.script);
    frame.lineActs = true;
  }
  if (entry != nullptr && entry->Has(kDelegated) && frame.state.inElevatedSection)
    return DelegateToElevatedInstance(frame, line);
  if (entry != nullptr && entry->Has(kDelegated) && frame.elevatedSectionEnd >= 0)
    frame.delegatedRanInSection = true;
  if (entry == nullptr || !entry->handler) return RunUnhandled(line, text);
  return entry->handler(frame, line);
}

// Everything between parsing a line and storing it back. `entry`: the line's command in
// the table, or null.
Flow ProcessLine(RunFrame& frame, const CommandEntry* entry, CommandParameters& line,
                 const std::wstring& text) {
  if (line.AlreadyRan()) {
    TAMBER_LOG(Info, L"Run", L"Line already processed with result '%s', skipping.",
               line.Result());
    return Flow::Next;
  }
  if (entry == nullptr || !entry->Has(kSetsOwnResult)) line.SetResult(LineResult::Failure);
  if (frame.pendingEndIf > 0) {
    SkipLineInBlock(frame, entry, line);
    return Flow::Next;
  }
  return Dispatch(frame, entry, line, text);
}

// Runs the current line. False when the run stops.
bool RunLine(RunFrame& frame) {
  const int index = frame.state.script.currentLine;
  // Read in place: the text is used before the line is stored back, and no command resizes
  // the script.
  const std::wstring& text = frame.state.script.lines[static_cast<std::size_t>(index)];
  frame.saveRequested = false;
  frame.lineActs = false;
  // One record for every line, so that its list of entries keeps its room from line to line.
  CommandParameters& line = frame.lineRecord;
  line.Parse(text);
  TAMBER_LOG(Info, L"Run", L"Processing line %d: %s", index + 1, text);
  const CommandEntry* entry = frame.commands.Find(line.CommandName());
  const Flow flow = PassSectionEnd(frame, index, ProcessLine(frame, entry, line, text));
  if (flow == Flow::Next || flow == Flow::Stop) StoreLine(frame, index, entry, line);
  if (frame.saveRequested) {
    line.SetResult(LineResult::Success);
    StoreLine(frame, index, entry, line);
    SaveCommands(frame.state.script, frame.workingCopy);
  }
  if (frame.journal != nullptr && frame.lineActs) frame.journal->Sync(frame.state.script);
  return flow == Flow::Next || flow == Flow::NextUnstored;
}

// Runs again the lines of a section just handed over that run on every run, then goes on
// where the loop was. False when one of them stops the run.
bool RunLinesAfterSection(RunFrame& frame) {
  Script& script = frame.state.script;
  const int resumeAt = script.currentLine;
  std::vector<int> lines;
  lines.swap(frame.rerunAfterSection);
  for (const int index : lines) {
    script.currentLine = index;
    if (!RunLine(frame)) return false;
  }
  script.currentLine = resumeAt;
  return true;
}

void RunLines(RunFrame& frame) {
  Script& script = frame.state.script;
  for (script.currentLine = 0; script.currentLine < frame.lineCount; ++script.currentLine) {
    if (!RunLine(frame)) return;
    if (!frame.rerunAfterSection.empty() && !RunLinesAfterSection(frame)) return;
  }
}

// Reads the script into the state and clears the way for its working copy. False when the
// script cannot be read.
bool LoadScript(RunFrame& frame, const ScriptRun& run) {
  std::uint64_t fingerprint = 0;
  std::optional<std::vector<std::wstring>> lines = ReadScriptLines(run.source, run.prefix, &fingerprint);
  if (!lines) return false;
  Script& script = frame.state.script;
  script.Load(std::move(*lines));
  // A run resumed from its own working copy keeps that file until it has written the new
  // one: it is the only copy of the script.
  const bool sameFile = IsSameFile(run.source, run.workingCopy);
  if (frame.journal != nullptr) {
    frame.journal->Start(fingerprint);
    if (auto recovered = frame.journal->Recover(script.lines, fingerprint, sameFile))
      script.lines = *recovered;
  }
  frame.lineCount = static_cast<int>(script.lines.size());
  if (!sameFile) platform::files().Delete(run.workingCopy);
  return true;
}

void CancelBackgroundJobs(RunFrame& frame) {
  TAMBER_LOG(Info, L"Run", L"Return code 'fail', canceling BITS download jobs.");
  try {
    frame.services.cancelBackgroundCopyJobs();
  } catch (...) {
    ComUtil::LogCurrentException(kLogSource, __LINE__);
  }
}

// Writes the working copy. False, after logging why, when it could not be written.
bool SaveWorkingCopy(RunFrame& frame) {
  try {
    SaveCommands(frame.state.script, frame.workingCopy);
    return true;
  } catch (...) {
    ComUtil::LogCurrentException(kLogSource, __LINE__);
    return false;
  }
}

// The end of every run that read its script: cancel the jobs of a failed run, write the
// working copy, and warn about a restart that no "reboot" line acted on.
int EndRun(RunFrame& frame) {
  if (frame.status == kRunFail) CancelBackgroundJobs(frame);
  if (!SaveWorkingCopy(frame)) {
    if (frame.status != kRunFail) CancelBackgroundJobs(frame);
    // The journal stays: the next run resumes from it. Its records not yet synced are of
    // lines that did not act, which may run again; a skipped block is never half written.
    return kRunFail;
  }
  if (frame.journal != nullptr) frame.journal->Finish();
  const SetupState& state = frame.state;
  if (state.rebootMode != kRebootNone && !processState().rebootCommandExecuted &&
      !state.isElevatedInstance)
    TAMBER_LOG(Warning, L"Run", L"The reboot flag is set yet the '%s' command was never executed.",
               frame.commands.NameWith(kStopsForRestart));
  return frame.status;
}

}  // namespace

int Interpret(SetupState& state, const ScriptRun& run, const SessionServices& services,
              const CommandTable& commands) {
  RunFrame frame(state, services, commands, run.workingCopy);
  RunJournal journal(run.workingCopy);
  if (!run.workingCopy.empty()) frame.journal = &journal;
  try {
    if (!LoadScript(frame, run)) return kRunFail;
  } catch (...) {
    // Nothing was read, so nothing is written: the old working copy stays as it was.
    const int status = ComUtil::HandleUncaughtException(kLogSource, __LINE__);
    CancelBackgroundJobs(frame);
    return status;
  }
  try {
    RunLines(frame);
  } catch (...) {
    frame.status = ComUtil::HandleUncaughtException(kLogSource, __LINE__);
  }
  return EndRun(frame);
}

}  // namespace setup
