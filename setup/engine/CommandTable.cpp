#include "setup/engine/CommandTable.h"

#include "setup/engine/CommandOutcomes.h"
#include "setup/engine/Blocks.h"
#include "setup/engine/ElevatedSection.h"
#include "setup/commands/execute/Execute.h"
#include "setup/commands/files/FileCommands.h"
#include "setup/commands/prompts/PromptCommands.h"
#include "setup/commands/restart/RebootCommand.h"
#include "setup/commands/registry/RegistryCommands.h"
#include "setup/commands/files/SelfCommand.h"

namespace setup {
namespace {

// "save": the loop marks the line and writes the working copy once the line is stored.
Flow RunSave(RunFrame& frame, CommandParameters&) {
  frame.saveRequested = true;
  return Flow::Next;
}

// "execute": a program that could not be started fails the run, leaving its line as it was.
Flow RunExecute(RunFrame& frame, CommandParameters& line) {
  return FailRunUnlessLeavingLine(frame, RunCommandExecute(line, frame.state));
}

// "reboot": a stop for a restart ends the run; the elevated section just before may have
// asked for a restart now, which forces it.
Flow RunReboot(RunFrame& frame, CommandParameters& line) {
  const bool restartForced = frame.status == kRunRebootNow;
  return StopForRestart(frame,
                        RunCommandReboot(line, frame.state, frame.workingCopy, restartForced));
}

// "set-special-folder-paths" reads the script, not its own line, whose preset result stays.
Flow RunSetSpecialFolderPaths(RunFrame& frame, CommandParameters&) {
  RunCommandSetSpecialFolderPaths(frame.state);
  return Flow::Next;
}

// A handler whose outcome is only its line's result and the session state.
CommandHandler Plain(std::function<void(CommandParameters& line, SetupState& state)> run) {
  return [run](RunFrame& frame, CommandParameters& line) {
    run(line, frame.state);
    return Flow::Next;
  };
}

// A handler whose outcome is only its line's result.
CommandHandler LineOnly(void (*run)(CommandParameters& line)) {
  return Plain([run](CommandParameters& line, SetupState&) { run(line); });
}

// "abort": a decided abort stores the line and stops the run.
Flow RunAbort(RunFrame& frame, CommandParameters& line) {
  return StopRunIf(frame, RunCommandAbort(line, frame.state));
}

Flow RunIfRegistryCheck(RunFrame& frame, CommandParameters& line) {
  return SkipBlockUnless(frame, RunCommandIfRegistryCheck(line));
}

// "write-registry-run-once" registers this program with the run's working copy.
Flow RunWriteRegistryRunOnce(RunFrame& frame, CommandParameters& line) {
  RunCommandWriteRegistryRunOnce(line, frame.state, frame.workingCopy);
  return Flow::Next;
}

CommandTable MakeProgramCommands() {
  const CommandHandler later;  // the command's handler joins the program in a later step
  return CommandTable({
      {L"abort", RunAbort, kPlainCommand},
      {L"alert", Plain(RunCommandAlert), kPlainCommand},
      {L"copy-file", Plain(RunCommandCopyFile), kPlainCommand},
      {L"delete-registry-run-once", LineOnly(RunCommandDeleteRegistryRunOnce), kPlainCommand},
      {L"download", later, kSetsOwnResult | kDelegated},
      {L"enable-msi-log", later, kPlainCommand},
      {L"end-elevation", RunEndElevation, kPlainCommand},
      {L"execute", RunExecute, kDelegated},
      {L"if-installed", later, kConditional | kSetsOwnResult},
      {L"if-not-installed", later, kConditional | kSetsOwnResult},
      {L"if-registry-check", RunIfRegistryCheck, kConditional | kSetsOwnResult},
      {L"install", later, kDelegated},
      {L"reboot", RunReboot, kPlainCommand},
      {L"requires-elevation", RunRequiresElevation, kPlainCommand},
      {L"save", RunSave, kPlainCommand},
      {L"set-special-folder-paths", RunSetSpecialFolderPaths, kPlainCommand},
      {L"set-event", later, kPlainCommand},
      {L"uninstall", later, kPlainCommand},
      {L"validate-folder-permissions", later, kPlainCommand},
      {L"self", Plain(RunCommandSelf), kPlainCommand},
      {L"start-windows-service", later, kDelegated},
      {L"wait", later, kPlainCommand},
      {L"windows-update-pause", later, kDelegated},
      {L"windows-update-resume", later, kDelegated},
      {L"read-registry-install-directory", Plain(RunCommandReadRegistryInstallDirectory),
       kPlainCommand},
      {L"write-registry-string", Plain(RunCommandWriteRegistryString), kPlainCommand},
      {L"write-registry-dword", LineOnly(RunCommandWriteRegistryDWORD), kPlainCommand},
      {L"write-registry-run-once", RunWriteRegistryRunOnce, kPlainCommand},
  });
}

}  // namespace

const CommandEntry* CommandTable::Find(const std::wstring& name) const {
  for (const CommandEntry& entry : entries_)
    if (entry.name == name) return &entry;
  return nullptr;
}

bool CommandTable::Has(const std::wstring& name, CommandTrait trait) const {
  const CommandEntry* entry = Find(name);
  return entry != nullptr && entry->Has(trait);
}

bool CommandTable::SetHandler(const std::wstring& name, CommandHandler handler) {
  for (CommandEntry& entry : entries_) {
    if (entry.name != name) continue;
    entry.handler = std::move(handler);
    return true;
  }
  return false;
}

const CommandTable& ProgramCommands() {
  static const CommandTable table = MakeProgramCommands();
  return table;
}

}  // namespace setup
