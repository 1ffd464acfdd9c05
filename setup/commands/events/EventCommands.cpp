#include "setup/commands/events/EventCommands.h"

namespace setup {

CommandRows EventCommandRows() {
  static const CommandRow kRows[] = {
      {L"set-event", nullptr, kPlainCommand},
  };
  return RowsOf(kRows);
}

}  // namespace setup
