// The operations a session takes from outside the spine: the rights check and the elevated
// instance of the elevation protocol, the download client with the web-script download and
// job cancelling, and the start of a disabled system service. Run takes them as a set so
// the real ones slot in where they belong and tests can stand in for them.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "setup/engine/CommandParameters.h"
#include "setup/session/SetupState.h"

namespace setup {

class BitsClient;

struct SessionServices {
  // Whether the process runs with administrator rights.
  std::function<bool()> isProcessElevated;
  // Saves the working copy, runs `line`'s elevated section in an elevated instance of the
  // program and waits for it; sets the line's result and returns the instance's RunStatus.
  std::function<int(SetupState& state, CommandParameters& line, const std::wstring& workingCopy)>
      spawnElevatedInstance;
  // The session's download client: the download lines, the web script and the cancelling
  // of a failed run's background jobs share it.
  std::shared_ptr<BitsClient> bitsClient;
  // Downloads the web script at `address` to its working copy; sets *source and
  // *workingCopy (the same file) and state.rootUri; returns a RunStatus.
  std::function<int(SetupState& state, const std::wstring& address, std::wstring* source,
                    std::wstring* workingCopy)>
      downloadScript;
  // Cancels the run's background download jobs.
  std::function<void()> cancelBackgroundCopyJobs;
  // Makes the system service `name` startable when it is disabled; true on success.
  std::function<bool(const std::wstring& name)> startWindowsService;
};

// The services of this build, with one download client for the session; a system service
// is started through the services commands' StartWindowsService.
SessionServices DefaultSessionServices();

}  // namespace setup
