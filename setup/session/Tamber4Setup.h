// The program's entry point, shared by Tamber4Setup.exe and tamber4sim: runs the whole
// session against the installed machine and returns the process exit code.
#pragma once

#include <string>

#include "platform/Types.h"
#include "setup/session/SessionServices.h"

namespace setup {

// Opens the log, refuses systems older than Windows XP SP3 (exit code 2) and, before Vista,
// a user without a Documents folder (exit code 1), each after a message box; otherwise runs
// the session in a COM apartment, offers the restart a "reboot" line asked for, closes the
// log and returns the run status. An error that nothing caught ends the session with 2.
int TamberMain(platform::ModuleHandle module, const std::wstring& commandLine);

// The same with the given session services in place of DefaultSessionServices().
int TamberMain(platform::ModuleHandle module, const std::wstring& commandLine,
               const SessionServices& services);

}  // namespace setup
