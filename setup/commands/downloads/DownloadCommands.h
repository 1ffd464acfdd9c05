// Downloads through the background transfer service: "download".
#pragma once

#include "setup/engine/CommandParameters.h"
#include "setup/engine/CommandTable.h"
#include "setup/session/SetupState.h"

namespace setup {

class BitsClient;

// "download": fetches the line's "uri" (made absolute against the web script's root) to
// its "file-path" (rendered, relative paths under the working copies' folder) with
// `bitsClient`, in the foreground or as a background job, and names the file under
// "special-folder-name". Writes back "uri", "file-path", "copy-job-id" and the result; a
// background request keeps no result until a foreground line takes it over. Returns the
// download's outcome; false without a result when a required parameter is missing or the
// path names an unknown special folder.
bool RunCommandDownload(SetupState& state, CommandParameters& line, BitsClient& bitsClient);

// The family's rows of the dispatch table.
CommandRows DownloadCommandRows();

}  // namespace setup
