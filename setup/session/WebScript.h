// The web script: its default address in the executable's string table, and its download.
#pragma once

#include <string>

#include "setup/session/SessionServices.h"
#include "setup/session/SetupState.h"

namespace setup {

// String resource 131: the default web script's address. Empty, after an Error, when the
// string is missing or does not fit in 1,023 characters.
std::wstring LoadWebScriptUrl();

// Downloads the default web script (LoadWebScriptUrl) through `services`. Returns 2 when
// there is no address, otherwise the download's RunStatus; sets *source and *workingCopy.
int DownloadDefaultWebScript(SetupState& state, const SessionServices& services,
                             std::wstring* source, std::wstring* workingCopy);

}  // namespace setup
