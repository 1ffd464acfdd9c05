#include "setup/commands/downloads/DownloadCommands.h"

namespace setup {

CommandRows DownloadCommandRows() {
  static const CommandRow kRows[] = {
      {L"download", nullptr,
       kSetsOwnResult | kDelegated | kTakesOverDownload | kNamesSpecialFolder},
  };
  return RowsOf(kRows);
}

}  // namespace setup
