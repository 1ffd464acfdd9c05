// The dispatch table: every script command by name, with its handler and the traits the
// interpreter treats it by. Commands are matched by exact, case-sensitive name. Each command
// family under setup/commands/ exports its own rows; ProgramCommands() joins the families.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <map>
#include <vector>

#include "setup/engine/CommandParameters.h"
#include "setup/engine/RunFrame.h"

namespace setup {

enum CommandTrait : unsigned {
  kPlainCommand = 0,
  kConditional = 1 << 0,      // opens a block that is skipped when the handler returns false;
                              // the handler only looks at the machine, so its line is
                              // journaled with the lines after it, not synced on its own
  kSetsOwnResult = 1 << 1,    // the interpreter presets no "failure" result
  kDelegated = 1 << 2,        // runs in the elevated instance while an elevated section is open
  kClosesBlock = 1 << 3,      // closes the innermost conditional block ("end-if")
  kClosesSection = 1 << 4,    // closes an elevated section
  kStopsForRestart = 1 << 5,  // may stop the run for a restart, resuming after it
  kStopsInParent = 1 << 6,   // a stop it decides in an elevated instance's section is left
                             // to the parent, which runs the line forced: the restart or
                             // abort is the whole run's
  kTakesOverDownload = 1 << 7,  // the close of its section also marks the nearest earlier
                                // line of the command that fetched the same "uri"
  kNamesSpecialFolder = 1 << 8,  // once it succeeded, its "special-folder-name" names its
                                 // "file-path"
  kRecordsRootUri = 1 << 9,  // keeps a web script's root address: leads every web script
  kRunsEveryRun = 1 << 10,   // its line becomes "repeat" and runs on every run: after an
                             // elevated section, the parent runs it again for what it sets
  kRestartNowEndsSection = 1 << 11,  // when the elevated instance left no working copy, its
                                     // restart now ends the section at the next
                                     // kStopsForRestart line
};

// Runs one line of its command and tells the loop what comes next. Sets the line's result.
using CommandHandler = std::function<Flow(RunFrame& frame, CommandParameters& line)>;

// Before Vista, whether the command's line is skipped (then logged and marked "success"
// by the test itself). Asked before the line is delegated or run.
using BeforeVistaSkip = bool (*)(CommandParameters& line);

struct CommandEntry {
  std::wstring name;
  CommandHandler handler;  // empty while the command's handler is not part of the program:
                           // the line is then treated as an unknown command
  unsigned traits = kPlainCommand;
  BeforeVistaSkip skipBeforeVista = nullptr;
  const wchar_t* parameters = nullptr;  // declared as ParameterDeclarations.h says; null:
                                        // not declared
  bool Has(CommandTrait trait) const { return (traits & trait) != 0; }
};

// A family's row of the table, as the family writes it down: a constant.
struct CommandRow {
  const wchar_t* name;
  Flow (*handler)(RunFrame& frame, CommandParameters& line);  // null: not carried out yet
  unsigned traits;
  BeforeVistaSkip skipBeforeVista = nullptr;
  const wchar_t* parameters = nullptr;  // the parameters its lines may carry
};

// A family's rows: a constant array and its length.
struct CommandRows {
  const CommandRow* rows;
  std::size_t count;
};

template <std::size_t N>
constexpr CommandRows RowsOf(const CommandRow (&rows)[N]) {
  return {rows, N};
}

class CommandTable {
 public:
  explicit CommandTable(std::vector<CommandEntry> entries);

  // The entry named `name`, or null.
  const CommandEntry* Find(const std::wstring& name) const;
  // True when `name` is a command with `trait`.
  bool Has(const std::wstring& name, CommandTrait trait) const;
  // The name of the first command with `trait`, or the empty text.
  std::wstring NameWith(CommandTrait trait) const;
  // Replaces the handler of `name`; false when there is no such command.
  bool SetHandler(const std::wstring& name, CommandHandler handler);
  const std::vector<CommandEntry>& entries() const { return entries_; }

 private:
  std::vector<CommandEntry> entries_;
  // The index in entries_ of the first entry of each name: every line looks its command up
  // more than once.
  std::map<std::wstring, std::size_t> byName_;
};

// The program's commands: the rows of every command family (setup/commands/).
const CommandTable& ProgramCommands();

}  // namespace setup
