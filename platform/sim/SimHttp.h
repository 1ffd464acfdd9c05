// Fetching an http:// or https:// address for the simulated transfer service, through
// libcurl (host build only).
#pragma once

#include <string>

#include "platform/Types.h"

namespace platform::sim {

// The body of `url`: S_OK with *body, or the HRESULT the transfer service reports for the
// failure (BG_E_HTTP_ERROR_<status> for an HTTP status of 400 or more, the WinINet codes for
// a name that does not resolve, a refused connection or a time-out).
HResult FetchHttp(const std::string& url, std::string* body);

}  // namespace platform::sim
