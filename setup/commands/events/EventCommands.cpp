#include "setup/commands/events/EventCommands.h"

#include "setup/engine/CommandOutcomes.h"

namespace setup {

CommandRows EventCommandRows() {
  static const CommandRow kRows[] = {
      {L"set-event", LineOnly<RunCommandSetEvent>, kPlainCommand, nullptr, L"name!"},
  };
  return RowsOf(kRows);
}

}  // namespace setup
