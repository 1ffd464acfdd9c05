// Fetching an http:// or https:// address for the simulated transfer service, through
// libcurl (host build only).
#pragma once

#include <string>

#include "platform/Types.h"

namespace platform::sim {

// WinINet's error for a host name that does not resolve, as an HRESULT (12007).
constexpr HResult kHttpNameNotResolved = static_cast<HResult>(0x80072EE7u);

// The body of `url`: S_OK with *body, or the HRESULT the transfer service reports for the
// failure (BG_E_HTTP_ERROR_<status> for an HTTP status of 400 or more, the WinINet codes for
// a name that does not resolve, a refused connection or a time-out).
HResult FetchHttp(const std::string& url, std::string* body);

}  // namespace platform::sim
