#include "setup/commands/processes/ProcessCommands.h"

namespace setup {

CommandRows ProcessCommandRows() {
  const CommandHandler later;  // the handler joins the program in a later step
  return {
      {L"wait", later, kPlainCommand},
  };
}

}  // namespace setup
