#include "setup/session/SessionServices.h"

#include "setup/commands/downloads/BitsClient.h"
#include "setup/commands/services/ServiceCommands.h"
#include "setup/session/Elevation.h"
#include "setup/session/WebScript.h"

namespace setup {

SessionServices DefaultSessionServices() {
  SessionServices services;
  services.isProcessElevated = IsProcessElevated;
  services.spawnElevatedInstance = SpawnElevatedInstance;
  services.startWindowsService = StartWindowsService;
  auto client = std::make_shared<BitsClient>();
  services.bitsClient = client;
  // The web script's recovery needs the other services; they are copied as they stand now.
  const SessionServices recovery = services;
  services.downloadScript = [client, recovery](SetupState& state, const std::wstring& address,
                                               std::wstring* source, std::wstring* workingCopy) {
    return DownloadScript(state, address, source, workingCopy, *client, recovery);
  };
  services.cancelBackgroundCopyJobs = [client] { client->CancelBackgroundCopyJobs(); };
  return services;
}

}  // namespace setup
