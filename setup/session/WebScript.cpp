#include "setup/session/WebScript.h"

#include "logging/Log.h"
#include "platform/Machine.h"
#include "platform/Resources.h"
#include "setup/engine/RunStatus.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Tamber4Setup";
constexpr std::uint32_t kWebScriptUrlString = 131;
// The string is read into a buffer of 1,025 characters: a text that fills 1,024 of them
// may have been cut.
constexpr std::size_t kMaxUrlChars = 1023;

}  // namespace

std::wstring LoadWebScriptUrl() {
  std::wstring url;
  if (!platform::resources().LoadStringResource(kWebScriptUrlString, &url) || url.empty()) {
    TAMBER_LOG(Error, L"Run", L"Failed to load update script from string table.");
    return std::wstring();
  }
  if (url.size() > kMaxUrlChars) {
    TAMBER_LOG(Error, L"Run",
               L"Failed to load update script from string table (string longer than "
               L"nBufferSize characters).");
    return std::wstring();
  }
  return url;
}

int DownloadDefaultWebScript(SetupState& state, const SessionServices& services,
                             std::wstring* source, std::wstring* workingCopy) {
  const std::wstring url = LoadWebScriptUrl();
  if (url.empty()) return kRunFail;
  return services.downloadScript(state, url, source, workingCopy);
}

}  // namespace setup
