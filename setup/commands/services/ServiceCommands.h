// Windows services and Windows Update: "start-windows-service", "windows-update-pause",
// "windows-update-resume". None of them does anything before Vista when so asked.
#pragma once

#include <string>

#include "setup/commands/services/WindowsUpdateClient.h"
#include "setup/engine/CommandParameters.h"
#include "setup/engine/CommandTable.h"
#include "setup/session/SetupState.h"

namespace setup {

// Makes the service `name` startable: a disabled service is set to start on demand (the
// system starts it when it is first used); nothing is started here. True when the service
// is not disabled or was changed. Opening the service for the change needs administrator
// rights. Every failure is logged with its last error; nothing is thrown.
bool StartWindowsService(const std::wstring& name);

// "start-windows-service": StartWindowsService("name"). When that fails and
// "abort-on-failure" is "yes", shows "message" (if any) under "title" with "icon", flags
// the run for abort and sets "failure"; otherwise "success".
void RunCommandStartWindowsService(SetupState& state, CommandParameters& line);

// "windows-update-pause": pauses Automatic Updates through the run's client; "success".
void RunCommandWindowsUpdatePause(CommandParameters& line, WindowsUpdateClient& client);
// "windows-update-resume": resumes them unless a restart is flagged (they resume by
// themselves after it); "success".
void RunCommandWindowsUpdateResume(SetupState& state, CommandParameters& line,
                                   WindowsUpdateClient& client);

// The run's Windows Update client, made when the run first needs it.
WindowsUpdateClient& RunWindowsUpdateClient(SetupState& state);

// The family's rows of the dispatch table.
CommandRows ServiceCommandRows();

}  // namespace setup
