#include "setup/commands/services/WindowsUpdateClient.h"

#include "ComUtil/CreateInstance.h"
#include "logging/Log.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "WindowsUpdateClient";

}  // namespace

void WindowsUpdateClient::Pause() {
  if (!updates_) {
    TAMBER_LOG(Info, L"Pause", L"Creating Automatic Updates object.");
    ComUtil::CreateInstance(platform::kClsidAutomaticUpdates, platform::kAutomaticUpdatesContext,
                            &updates_);
  }
  TAMBER_LOG(Info, L"Pause", L"Calling Pause on Automatic Updates object.");
  const platform::HResult result = updates_->Pause();
  if (platform::hr::Failed(result))
    TAMBER_LOG(Error, L"Pause", L"Pause returned unexpected error code 0x%X.", result);
}

void WindowsUpdateClient::Resume() {
  if (!updates_) {
    TAMBER_LOG(Error, L"Resume",
               L"Resume called before Pause, Automatic Updates object not created, not resuming.");
    return;
  }
  const platform::HResult result = updates_->Resume();
  if (platform::hr::Failed(result))
    TAMBER_LOG(Error, L"Resume", L"Resume returned unexpected error code 0x%X.", result);
}

}  // namespace setup
