// The one dispatch table: every script command by name, with its handler and the traits the
// interpreter treats it by. Commands are matched by exact, case-sensitive name.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "setup/engine/CommandParameters.h"
#include "setup/engine/RunFrame.h"

namespace setup {

enum CommandTrait : unsigned {
  kPlainCommand = 0,
  kConditional = 1,     // opens a block that is skipped when the handler returns false
  kSetsOwnResult = 2,   // the interpreter presets no "failure" result
  kDelegated = 4,       // runs in the elevated instance while an elevated section is open
};

// Runs one line of its command and tells the loop what comes next. Sets the line's result.
using CommandHandler = std::function<Flow(RunFrame& frame, CommandParameters& line)>;

struct CommandEntry {
  std::wstring name;
  CommandHandler handler;  // empty while the command's handler is not part of the program:
                           // the line is then treated as an unknown command
  unsigned traits = kPlainCommand;
  bool Has(CommandTrait trait) const { return (traits & trait) != 0; }
};

class CommandTable {
 public:
  explicit CommandTable(std::vector<CommandEntry> entries) : entries_(std::move(entries)) {}

  // The entry named `name`, or null.
  const CommandEntry* Find(const std::wstring& name) const;
  // True when `name` is a command with `trait`.
  bool Has(const std::wstring& name, CommandTrait trait) const;
  // Replaces the handler of `name`; false when there is no such command.
  bool SetHandler(const std::wstring& name, CommandHandler handler);
  const std::vector<CommandEntry>& entries() const { return entries_; }

 private:
  std::vector<CommandEntry> entries_;
};

// The program's commands, in dispatch order.
const CommandTable& ProgramCommands();

}  // namespace setup
