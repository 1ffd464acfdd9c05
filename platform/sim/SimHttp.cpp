#include "platform/sim/SimHttp.h"

#include <curl/curl.h>

#include "platform/Transfers.h"

namespace platform::sim {
namespace {

// WinINet's errors as HRESULTs: what the service reports when the server cannot be reached.
constexpr HResult kCannotConnect = static_cast<HResult>(0x80072EFDu);    // 12029
constexpr HResult kTimeout = static_cast<HResult>(0x80072EE2u);          // 12002

std::size_t Append(char* data, std::size_t size, std::size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

HResult FromCurl(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST: return kHttpNameNotResolved;
    case CURLE_OPERATION_TIMEDOUT: return kTimeout;
    default: return kCannotConnect;
  }
}

}  // namespace

HResult FetchHttp(const std::string& url, std::string* body) {
  body->clear();
  CURL* curl = curl_easy_init();
  if (curl == nullptr) return hr::OutOfMemory;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Append);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, body);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 10L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 120L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  const CURLcode code = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(curl);
  if (code != CURLE_OK) return FromCurl(code);
  if (status >= 400) {
    body->clear();
    return bits::HttpError(static_cast<std::uint32_t>(status));
  }
  return hr::Ok;
}

}  // namespace platform::sim
