#include "setup/engine/ElevatedSection.h"

#include "ComUtil/IssueError.h"
#include "logging/Log.h"
#include "setup/engine/Blocks.h"
#include "setup/session/Messages.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Tamber4Setup";
const std::wstring kResult = L"result";
const std::wstring kSuccess = L"success";

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Marks the nearest "download" line before `start` that fetched the same address as a
// download of the section (its uri ends with `uri`): the elevated instance took it over.
void MarkEarlierDownload(SetupState& state, int start, const std::wstring& uri) {
  for (int index = start - 1; index >= 0; --index) {
    std::wstring& text = state.script.lines[static_cast<std::size_t>(index)];
    CommandParameters earlier;
    earlier.Parse(text);
    if (earlier.CommandName() != L"download" || !EndsWith(earlier.GetParameter(L"uri"), uri))
      continue;
    TAMBER_LOG(Info, L"CloseElevatedCommands", L"Setting result for line number %d: '%s' with %s '%s' to '%s'.",
               index, earlier.CommandName(), L"uri", earlier.GetParameter(L"uri"), kSuccess);
    earlier.SetParameter(kResult, kSuccess);
    text = earlier.Serialize();
    return;
  }
}

}  // namespace

Flow RunRequiresElevation(RunFrame& frame, CommandParameters& line) {
  SetupState& state = frame.state;
  const bool force = line.GetParameter(L"force") == L"yes";
  if (!state.isVistaOrLater && state.isAdmin && !force) {
    TAMBER_LOG(Info, L"Run",
               L"OS is not Vista or higher and user is an administrator, ignoring elevated "
               L"section. (Use force=yes to force elevation)");
    line.SetParameter(kResult, kSuccess);
    return Flow::Next;
  }
  state.elevationTitle = LookupMessage(line.GetParameter(L"message-id-title"), line.GetParameter(L"title"));
  state.elevationMessage =
      LookupMessage(line.GetParameter(L"message-id-message"), line.GetParameter(L"message"));
  if (!state.isVistaOrLater)
    TAMBER_LOG(Info, L"Run", L"OS is XP, user is %san administrator, 'force' parameter is '%s', elevating.",
               state.isAdmin ? L"" : L"not ", force ? L"yes" : L"no (or NA)");
  TAMBER_LOG(Info, L"Run",
             L"Elevated section: execute commands will be processed in an elevated instance of "
             L"Tamber4Setup.exe.");
  state.inElevatedSection = !state.isElevatedInstance;
  frame.elevatedSectionStart = state.script.currentLine;
  // Left unmarked: the elevated instance must meet it again, and the section's close marks it.
  return Flow::NextUnstored;
}

Flow RunEndElevation(RunFrame& frame, CommandParameters& line) {
  line.SetParameter(kResult, kSuccess);
  if (frame.state.isElevatedInstance) {
    frame.status = RebootDerivedStatus(frame.state);
    return Flow::StopUnstored;
  }
  frame.state.inElevatedSection = false;
  return Flow::Next;
}

Flow DelegateToElevatedInstance(RunFrame& frame, CommandParameters& line) {
  frame.status = frame.services.spawnElevatedInstance(frame.state, line, frame.workingCopy);
  if (frame.status == kRunFail) return Flow::StopUnstored;
  // An elevated "execute" that needs an immediate restart ends its instance at "reboot":
  // this instance runs that line, and the section stays open for the run after the restart.
  const bool restartNow = line.CommandName() == L"execute" && frame.status == kRunRebootNow;
  const int start = restartNow ? frame.elevatedSectionStart + 1 : frame.elevatedSectionStart;
  CloseElevatedCommands(frame.state, start, frame.lineCount, restartNow ? L"reboot" : L"end-elevation");
  ForgetOpenBlocksFrom(frame, start);
  return Flow::NextUnstored;
}

void CloseElevatedCommands(SetupState& state, int start, int count, const std::wstring& terminator) {
  TAMBER_LOG(Info, L"CloseElevatedCommands",
             L"Elevated instance of Tamber4Setup complete, flagging commands in the elevated "
             L"section as succeeded. (See the processed script for actual results).");
  ComUtil::ThrowLastErrorIfFalse(start >= 0, kLogSource, __LINE__);
  Script& script = state.script;
  for (script.currentLine = start; script.currentLine < count; ++script.currentLine) {
    std::wstring& text = script.lines[static_cast<std::size_t>(script.currentLine)];
    CommandParameters line;
    line.Parse(text);
    if (line.CommandName() == terminator) {
      --script.currentLine;
      return;
    }
    TAMBER_LOG(Info, L"CloseElevatedCommands", L"Setting result for line number %d: '%s' to '%s'.",
               script.currentLine, line.CommandName(), kSuccess);
    line.SetParameter(kResult, kSuccess);
    text = line.Serialize();
    if (line.CommandName() == L"download") MarkEarlierDownload(state, start, line.GetParameter(L"uri"));
  }
}

}  // namespace setup
