// "windows-update-pause" and "windows-update-resume".
#include <memory>

#include "logging/Log.h"
#include "setup/commands/services/ServiceCommands.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Tamber4Setup";

}  // namespace

WindowsUpdateClient& RunWindowsUpdateClient(SetupState& state) {
  if (!state.windowsUpdate) state.windowsUpdate = std::make_shared<WindowsUpdateClient>();
  return *state.windowsUpdate;
}

void RunCommandWindowsUpdatePause(CommandParameters& line, WindowsUpdateClient& client) {
  client.Pause();
  line.SetResult(LineResult::Success);
}

void RunCommandWindowsUpdateResume(SetupState& state, CommandParameters& line,
                                   WindowsUpdateClient& client) {
  if (state.rebootMode == kRebootNone) {
    TAMBER_LOG(Info, L"RunCommandWindowsUpdateResume",
               L"System restart not flagged, resuming Windows Update's Automatic Updates.");
    client.Resume();
  } else {
    TAMBER_LOG(Info, L"RunCommandWindowsUpdateResume",
               L"System restart flagged, not resuming Windows Update's Automatic Updates system (it "
               L"will resume automatically after the restart.)");
  }
  line.SetResult(LineResult::Success);
}

}  // namespace setup
