#include "setup/commands/permissions/PermissionCommands.h"

#include "setup/engine/CommandOutcomes.h"

namespace setup {
namespace {

Flow RunValidateFolderPermissions(RunFrame& frame, CommandParameters& line) {
  return TakeFolderPermissionsStatus(
      frame, RunCommandValidateFolderPermissions(frame.state, line, frame.workingCopy));
}

}  // namespace

CommandRows PermissionCommandRows() {
  static const CommandRow kRows[] = {
      {L"validate-folder-permissions", RunValidateFolderPermissions, kPlainCommand, nullptr,
       L"folder!:path target"},
  };
  return RowsOf(kRows);
}

}  // namespace setup
