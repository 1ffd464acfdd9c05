#include "setup/commands/installer/InstallerCommands.h"

namespace setup {

CommandRows InstallerCommandRows() {
  const CommandHandler later;  // the handler joins the program in a later step
  return {
      {L"enable-msi-log", later, kPlainCommand},
      {L"if-installed", later, kConditional | kSetsOwnResult},
      {L"if-not-installed", later, kConditional | kSetsOwnResult},
      {L"install", later, kDelegated},
      {L"uninstall", later, kPlainCommand},
  };
}

}  // namespace setup
