#include "setup/commands/permissions/PermissionCommands.h"

namespace setup {

CommandRows PermissionCommandRows() {
  const CommandHandler later;  // the handler joins the program in a later step
  return {
      {L"validate-folder-permissions", later, kPlainCommand},
  };
}

}  // namespace setup
