#include "setup/commands/events/EventCommands.h"

namespace setup {

CommandRows EventCommandRows() {
  const CommandHandler later;  // the handler joins the program in a later step
  return {
      {L"set-event", later, kPlainCommand},
  };
}

}  // namespace setup
