#include "setup/session/SessionServices.h"

#include "logging/Log.h"
#include "setup/engine/RunStatus.h"
#include "setup/session/Elevation.h"
#include "setup/session/Paths.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Tamber4Setup";

int RefuseScriptDownload(SetupState& state, const std::wstring& address, std::wstring* source,
                         std::wstring* workingCopy) {
  *workingCopy = GetTargetFilePath(state, address);
  *source = *workingCopy;
  TAMBER_LOG(Info, L"Run", L"Downloading web script from '%s', writing to '%s'.", address,
             *workingCopy);
  TAMBER_LOG(Error, L"DownloadScript",
             L"Web script downloads are not available in this build, cannot download '%s'.",
             address);
  return kRunFail;
}

}  // namespace

SessionServices DefaultSessionServices() {
  SessionServices services;
  services.isProcessElevated = IsProcessElevated;
  services.spawnElevatedInstance = SpawnElevatedInstance;
  services.downloadScript = RefuseScriptDownload;
  services.cancelBackgroundCopyJobs = [] {};
  return services;
}

}  // namespace setup
