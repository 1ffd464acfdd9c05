#include "setup/commands/processes/ProcessCommands.h"

#include "setup/engine/CommandOutcomes.h"

namespace setup {

CommandRows ProcessCommandRows() {
  static const CommandRow kRows[] = {
      {L"wait", LineOnly<RunCommandWait>, kPlainCommand, nullptr,
       L"seconds:number process-id:number process-name life-span:number"},
  };
  return RowsOf(kRows);
}

}  // namespace setup
