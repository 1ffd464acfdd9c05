#include "setup/commands/installer/InstallerCommands.h"

namespace setup {

CommandRows InstallerCommandRows() {
  static const CommandRow kRows[] = {
      {L"enable-msi-log", nullptr, kPlainCommand},
      {L"if-installed", nullptr, kConditional | kSetsOwnResult},
      {L"if-not-installed", nullptr, kConditional | kSetsOwnResult},
      {L"install", nullptr, kDelegated},
      {L"uninstall", nullptr, kPlainCommand},
  };
  return RowsOf(kRows);
}

}  // namespace setup
