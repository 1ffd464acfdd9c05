#include "setup/commands/processes/ProcessCommands.h"

namespace setup {

CommandRows ProcessCommandRows() {
  static const CommandRow kRows[] = {
      {L"wait", nullptr, kPlainCommand},
  };
  return RowsOf(kRows);
}

}  // namespace setup
