#include "setup/commands/execute/Execute.h"

#include "ComUtil/IssueError.h"
#include "logging/Log.h"
#include "platform/CurrentProcess.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Owner.h"
#include "platform/Processes.h"
#include "platform/UserInterface.h"
#include "setup/commands/execute/WindowSearch.h"
#include "setup/engine/CommandOutcomes.h"
#include "setup/engine/DecimalParameter.h"
#include "setup/engine/ParameterDeclarations.h"
#include "setup/session/CommandLineBuilder.h"
#include "setup/session/Elevation.h"
#include "setup/session/LastErrorReport.h"
#include "setup/session/Messages.h"
#include "setup/session/Paths.h"
#include "setup/session/WaitForExit.h"

namespace setup {

using platform::ScopedHandle;
namespace {

constexpr char kLogSource[] = "Execute";
const wchar_t kCategory[] = L"RunCommandExecute";

bool IsYes(const CommandParameters& line, const wchar_t* name) {
  return line.GetParameter(name) == L"yes";
}

// The program of a line and what became of it.
struct ProgramRun {
  bool proceed = true;   // false: the program could not be started, the run fails
  bool skipped = false;  // the line did nothing and keeps its preset result
  ScopedHandle process;
  std::uint32_t processId = 0;  // known for a direct start only
};

// The program text without the quotes BuildCommandLine put around a path with spaces.
std::wstring Unquoted(const std::wstring& program) {
  if (program.size() >= 2 && program.front() == L'"') return program.substr(1, program.size() - 2);
  return program;
}

// "if-elevated" (heeded from Vista on): "yes" runs the line only in an elevated process,
// any other value only in a process that is not elevated. True when the line is skipped.
bool SkippedByElevation(const CommandParameters& line, const SetupState& state) {
  if (!state.isVistaOrLater || !line.HasParameter(L"if-elevated")) return false;
  const bool wantsElevated = IsYes(line, L"if-elevated");
  if (wantsElevated && !state.isAdmin) {
    TAMBER_LOG(Warning, kCategory,
               L"'if-elevated' paramter is 'yes', process is not elevated, skipping.");
    return true;
  }
  if (!wantsElevated && state.isAdmin) {
    TAMBER_LOG(Warning, kCategory, L"'if-elevated' paramter is 'no', process is elevated, skipping.");
    return true;
  }
  return false;
}

void StartDirectly(const std::wstring& commandLine, ProgramRun* run) {
  TAMBER_LOG(Info, kCategory, L"Launching with CreateProcess '%s'.", commandLine);
  platform::StartedProcess started;
  if (!platform::processes().StartProcess(commandLine, &started)) {
    const LastErrorReport failure;
    TAMBER_LOG(Error, kCategory, L"Failed to create the process. CreateProcess set last error 0x%X, '%s'.",
               failure.code, failure.text);
    run->proceed = false;
    return;
  }
  run->process.Reset(started.process);
  run->processId = started.processId;
}

void StartProgram(const CommandParameters& line, const SetupState& state,
                  const CommandLineParts& parts, const std::wstring& program, ProgramRun* run) {
  if (SkippedByElevation(line, state)) {
    run->skipped = true;
    return;
  }
  if (!IsYes(line, L"elevate")) {
    StartDirectly(parts.commandLine, run);
    return;
  }
  run->process.Reset(ExecuteElevated(program, parts.arguments));
  if (!run->process.Valid()) run->proceed = false;
}

// A missing program: skipped quietly with "if-exists" "yes"; otherwise the run is flagged
// for abort, after the line's message box when it has a message. The run goes on.
void HandleMissingProgram(const CommandParameters& line, SetupState& state,
                          const std::wstring& program, ProgramRun* run) {
  run->skipped = true;
  if (IsYes(line, L"if-exists")) {
    TAMBER_LOG(Info, kCategory, L"'%s' does not exist, '%s' flag set to '%s', skipping execution.",
               program, L"if-exists", L"yes");
    return;
  }
  TAMBER_LOG(Error, kCategory, L"'%s' does not exist, flagging for abort.", program);
  const std::wstring message = LineMessage(line);
  if (!message.empty()) {
    const std::wstring title = LineTitle(line);
    TamberMessageBox(title, message, line.GetParameter(L"icon"), platform::mb::UserIcon);
  }
  state.abortRequested = true;
}

bool WantsWait(const CommandParameters& line) {
  return line.HasParameter(L"reboot-now-on-exit-code") ||
         line.HasParameter(L"reboot-on-exit-code") ||
         line.HasParameter(L"abort-on-exit-code-not") || IsYes(line, L"wait");
}

// A restart requested by the exit code. Only one code is compared: the "now" one when the
// line has it. True when it matched.
bool TakeRestartRequest(const CommandParameters& line, SetupState& state, std::int32_t exitCode) {
  const bool now = line.HasParameter(L"reboot-now-on-exit-code");
  if (!now && !line.HasParameter(L"reboot-on-exit-code")) return false;
  const std::wstring value =
      line.GetParameter(now ? L"reboot-now-on-exit-code" : L"reboot-on-exit-code");
  if (ParseDecimalParameter(value) != exitCode) return false;
  TAMBER_LOG(Info, kCategory, L"Reboot required, flagging for reboot %s.",
             now ? L"as soon as possible" : L"when convenient");
  state.rebootMode = now ? kRebootAsSoonAsPossible : kRebootWhenConvenient;
  return true;
}

void CheckRequiredExitCode(const CommandParameters& line, SetupState& state, std::int32_t exitCode) {
  if (!line.HasParameter(L"abort-on-exit-code-not")) return;
  const std::int32_t required = ParseDecimalParameter(line.GetParameter(L"abort-on-exit-code-not"));
  if (required == exitCode) return;
  TAMBER_LOG(Warning, kCategory, L"Exit code must be %d to succeed. Flagging for abort.", required);
  const std::wstring message = line.GetParameter(L"message");
  if (!message.empty())
    TamberMessageBox(line.GetParameter(L"title"), message, line.GetParameter(L"icon"),
                     platform::mb::UserIcon);
  state.abortRequested = true;
}

void WaitAndTakeExitCode(const CommandParameters& line, SetupState& state,
                         const ScopedHandle& process) {
  const auto exitCode = static_cast<std::int32_t>(WaitForExitCode(process.Get()));
  TAMBER_LOG(Info, kCategory, L"Process returned exit code %d.", exitCode);
  if (TakeRestartRequest(line, state, exitCode)) return;
  CheckRequiredExitCode(line, state, exitCode);
}

}  // namespace

bool RunCommandExecute(CommandParameters& line, SetupState& state) {
  const CommandLineParts parts = BuildCommandLine(state, line, IsYes(line, L"force-no-quotes"));
  const std::wstring program = Unquoted(parts.program);
  ProgramRun run;
  run.proceed = !parts.error;
  if (run.proceed) {
    if (IsExistingFile(program))
      StartProgram(line, state, parts, program, &run);
    else
      HandleMissingProgram(line, state, program, &run);
  }
  const bool started = run.proceed && !run.skipped;
  if (started && IsYes(line, L"set-z-order-top")) MoveProcessWindowToTop(run.processId);
  if (started && WantsWait(line)) WaitAndTakeExitCode(line, state, run.process);
  if (!run.skipped)
    line.SetResult(state.abortRequested || !run.proceed ? LineResult::Failure : LineResult::Success);
  return run.proceed;
}

namespace {

// A program that could not be started fails the run, leaving its line as it was.
Flow RunExecute(RunFrame& frame, CommandParameters& line) {
  return FailRunUnlessLeavingLine(frame, RunCommandExecute(line, frame.state));
}

}  // namespace

CommandRows ExecuteCommandRows() {
  static const CommandRow kRows[] = {
      {L"execute", RunExecute, kDelegated | kRestartNowEndsSection, nullptr,
       L"program!:path if-exists:flag if-elevated:flag elevate:flag set-z-order-top:flag wait:flag"
       L" reboot-now-on-exit-code:number reboot-on-exit-code:number abort-on-exit-code-not:number"
       TAMBER_COMMAND_LINE_PARAMETERS TAMBER_BOX_PARAMETERS}};
  return RowsOf(kRows);
}

}  // namespace setup
