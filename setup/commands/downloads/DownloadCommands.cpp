#include "setup/commands/downloads/DownloadCommands.h"

namespace setup {

CommandRows DownloadCommandRows() {
  const CommandHandler later;  // the handler joins the program in a later step
  return {
      {L"download", later,
       kSetsOwnResult | kDelegated | kTakesOverDownload | kNamesSpecialFolder},
  };
}

}  // namespace setup
