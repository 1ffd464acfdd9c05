#include "setup/commands/events/EventCommands.h"

#include "setup/engine/CommandOutcomes.h"

namespace setup {

CommandRows EventCommandRows() {
  static const CommandRow kRows[] = {
      {L"set-event", LineOnly<RunCommandSetEvent>, kPlainCommand},
  };
  return RowsOf(kRows);
}

}  // namespace setup
