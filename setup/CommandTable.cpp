#include "setup/CommandTable.h"

#include "setup/CommandOutcomes.h"
#include "setup/ElevatedSection.h"
#include "setup/Execute.h"

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

CommandTable MakeProgramCommands() {
  const CommandHandler later;  // the command's handler joins the program in a later step
  return CommandTable({
      {L"abort", later, kPlainCommand},
      {L"alert", later, kPlainCommand},
      {L"copy-file", later, kPlainCommand},
      {L"delete-registry-run-once", later, kPlainCommand},
      {L"download", later, kSetsOwnResult | kDelegated},
      {L"enable-msi-log", later, kPlainCommand},
      {L"end-elevation", RunEndElevation, kPlainCommand},
      {L"execute", RunExecute, kDelegated},
      {L"if-installed", later, kConditional | kSetsOwnResult},
      {L"if-not-installed", later, kConditional | kSetsOwnResult},
      {L"if-registry-check", later, kConditional | kSetsOwnResult},
      {L"install", later, kDelegated},
      {L"reboot", later, kPlainCommand},
      {L"requires-elevation", RunRequiresElevation, kPlainCommand},
      {L"save", RunSave, kPlainCommand},
      {L"set-special-folder-paths", later, kPlainCommand},
      {L"set-event", later, kPlainCommand},
      {L"uninstall", later, kPlainCommand},
      {L"validate-folder-permissions", later, kPlainCommand},
      {L"self", later, kPlainCommand},
      {L"start-windows-service", later, kDelegated},
      {L"wait", later, kPlainCommand},
      {L"windows-update-pause", later, kDelegated},
      {L"windows-update-resume", later, kDelegated},
      {L"read-registry-install-directory", later, kPlainCommand},
      {L"write-registry-string", later, kPlainCommand},
      {L"write-registry-dword", later, kPlainCommand},
      {L"write-registry-run-once", later, kPlainCommand},
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
