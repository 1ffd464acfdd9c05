#include "setup/commands/permissions/PermissionCommands.h"

namespace setup {

CommandRows PermissionCommandRows() {
  static const CommandRow kRows[] = {
      {L"validate-folder-permissions", nullptr, kPlainCommand},
  };
  return RowsOf(kRows);
}

}  // namespace setup
