// The web script: its default address in the executable's string table, and its download.
#pragma once

#include <string>

#include "setup/session/SessionServices.h"
#include "setup/session/SetupState.h"

namespace setup {

// String resource 131: the default web script's address. Empty, after an Error, when the
// string is missing or does not fit in 1,023 characters.
std::wstring LoadWebScriptUrl();

class BitsClient;

// Downloads the web script at `address` to its working copy (also the source) with
// `bitsClient`, in the foreground as "Tamber 4 Web Script", and sets state.rootUri to the
// address's folder. The elevated instance only makes the "BITS" service startable. When the
// service is disabled (an error whose code ends in 1058), Vista and later start an elevated
// instance to enable it, older systems enable it here, and the download is tried again.
// Returns 0, or 2 when the download failed.
int DownloadScript(SetupState& state, const std::wstring& address, std::wstring* source,
                   std::wstring* workingCopy, BitsClient& bitsClient,
                   const SessionServices& services);

// Downloads the default web script (LoadWebScriptUrl) through `services`. Returns 2 when
// there is no address, otherwise the download's RunStatus; sets *source and *workingCopy.
int DownloadDefaultWebScript(SetupState& state, const SessionServices& services,
                             std::wstring* source, std::wstring* workingCopy);

}  // namespace setup
