#include "setup/session/WebScript.h"

#include "ComUtil/IssueError.h"
#include "logging/Log.h"
#include "platform/Machine.h"
#include "platform/Resources.h"
#include "setup/commands/downloads/BitsClient.h"
#include "setup/engine/RunStatus.h"
#include "setup/session/Paths.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Tamber4Setup";
constexpr std::uint32_t kWebScriptUrlString = 131;
// The string is read into a buffer of 1,025 characters: a text that fills 1,024 of them
// may have been cut.
constexpr std::size_t kMaxUrlChars = 1023;
constexpr std::uint32_t kServiceDisabled = 1058;
const wchar_t kBitsService[] = L"BITS";

int FetchScript(BitsClient& client, const std::wstring& address, const std::wstring& workingCopy) {
  std::wstring noJob;
  bool found = false;
  const bool downloaded = client.Download(address, L"Tamber 4 Web Script", workingCopy, false,
                                          &noJob, &found, BitsClient::kServiceDisabledEscapes);
  return downloaded ? kRunSuccess : kRunFail;
}

// The service was disabled: enable it (through an elevated instance from Vista on) and try
// once more.
int RecoverDisabledService(SetupState& state, BitsClient& client, const std::wstring& address,
                           const std::wstring& workingCopy, const SessionServices& services) {
  if (!state.isVistaOrLater) {
    if (!services.startWindowsService(kBitsService)) return kRunSuccess;
    return FetchScript(client, address, workingCopy);
  }
  TAMBER_LOG(Warning, L"DownloadScript",
             L"The BITS service is disabled, spawing an elevated instance to enable it.");
  CommandParameters noLine;
  const int status = services.spawnElevatedInstance(state, noLine, std::wstring());
  if (status != kRunSuccess) return status;
  return FetchScript(client, address, workingCopy);
}

std::wstring RootOf(const std::wstring& address) {
  const std::size_t slash = address.rfind(L'/');
  return (slash == std::wstring::npos ? std::wstring() : address.substr(0, slash)) + L"/";
}

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

int DownloadScript(SetupState& state, const std::wstring& address, std::wstring* source,
                   std::wstring* workingCopy, BitsClient& bitsClient,
                   const SessionServices& services) {
  *workingCopy = GetTargetFilePath(state, address);
  *source = *workingCopy;
  TAMBER_LOG(Info, L"Run", L"Downloading web script from '%s', writing to '%s'.", address,
             *workingCopy);
  int status = kRunSuccess;
  try {
    if (state.isElevatedInstance)
      services.startWindowsService(kBitsService);
    else if (!workingCopy->empty())
      status = FetchScript(bitsClient, address, *workingCopy);
  } catch (const ComUtil::_com_error& error) {
    if ((static_cast<std::uint32_t>(error.Error()) & 0xFFFF) == kServiceDisabled)
      status = RecoverDisabledService(state, bitsClient, address, *workingCopy, services);
  }
  state.rootUri = RootOf(address);
  return status;
}

int DownloadDefaultWebScript(SetupState& state, const SessionServices& services,
                             std::wstring* source, std::wstring* workingCopy) {
  const std::wstring url = LoadWebScriptUrl();
  if (url.empty()) return kRunFail;
  return services.downloadScript(state, url, source, workingCopy);
}

}  // namespace setup
