// The program's dispatch table: the rows of every command family, joined once.
#include "setup/commands/downloads/DownloadCommands.h"
#include "setup/commands/elevation/ElevationCommands.h"
#include "setup/commands/events/EventCommands.h"
#include "setup/commands/execute/Execute.h"
#include "setup/commands/files/FileCommands.h"
#include "setup/commands/installer/InstallerCommands.h"
#include "setup/commands/permissions/PermissionCommands.h"
#include "setup/commands/processes/ProcessCommands.h"
#include "setup/commands/prompts/PromptCommands.h"
#include "setup/commands/registry/RegistryCommands.h"
#include "setup/commands/restart/RebootCommand.h"
#include "setup/commands/script/ScriptCommands.h"
#include "setup/commands/services/ServiceCommands.h"
#include "setup/engine/CommandTable.h"

namespace setup {
namespace {

CommandTable JoinFamilies() {
  CommandRows (*const families[])() = {
      ScriptCommandRows,    RegistryCommandRows,   FileCommandRows,     PromptCommandRows,
      ExecuteCommandRows,   ElevationCommandRows,  RestartCommandRows,  DownloadCommandRows,
      InstallerCommandRows, PermissionCommandRows, ProcessCommandRows,  EventCommandRows,
      ServiceCommandRows,
  };
  std::vector<CommandEntry> entries;
  for (CommandRows (*family)() : families) {
    const CommandRows rows = family();
    for (std::size_t i = 0; i < rows.count; ++i) {
      const CommandRow& row = rows.rows[i];
      CommandHandler handler;
      if (row.handler != nullptr) handler = row.handler;
      entries.push_back(
          {row.name, std::move(handler), row.traits, row.skipBeforeVista, row.parameters});
    }
  }
  return CommandTable(std::move(entries));
}

}  // namespace

const CommandTable& ProgramCommands() {
  static const CommandTable table = JoinFamilies();
  return table;
}

}  // namespace setup
