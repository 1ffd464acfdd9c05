// The operations a session takes from outside the spine: the rights check and the elevated
// instance of the elevation protocol, and the download client's web-script download and job
// cancelling. Run takes them as a set so the real ones slot in where they belong and tests
// can stand in for them.
#pragma once

#include <functional>
#include <string>

#include "setup/engine/CommandParameters.h"
#include "setup/session/SetupState.h"

namespace setup {

struct SessionServices {
  // Whether the process runs with administrator rights.
  std::function<bool()> isProcessElevated;
  // Saves the working copy, runs `line`'s elevated section in an elevated instance of the
  // program and waits for it; sets the line's result and returns the instance's RunStatus.
  std::function<int(SetupState& state, CommandParameters& line, const std::wstring& workingCopy)>
      spawnElevatedInstance;
  // Downloads the web script at `address` to its working copy; sets *source and
  // *workingCopy (the same file) and state.rootUri; returns a RunStatus.
  std::function<int(SetupState& state, const std::wstring& address, std::wstring* source,
                    std::wstring* workingCopy)>
      downloadScript;
  // Cancels the run's background download jobs.
  std::function<void()> cancelBackgroundCopyJobs;
};

// The services of this build. Where an operation's real implementation has not joined the
// program yet, its stand-in fails safely: a web script download fails the run with status 2
// after an Error line, and there are no background jobs to cancel.
SessionServices DefaultSessionServices();

}  // namespace setup
