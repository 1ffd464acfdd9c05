#include "setup/commands/downloads/CopyJobNotification.h"

#include "ComUtil/ComPtr.h"
#include "logging/Log.h"
#include "platform/Machine.h"
#include "platform/SystemInfo.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "CopyJobNotification";
const wchar_t kCategory[] = L"CopyJobNotification";

void PostDone(platform::Window dialog) {
  platform::ui().PostWindowMessage(dialog, WM_COPYJOB_DONE, 0, 0);
}

}  // namespace

std::uint64_t PerMille(std::uint64_t transferred, std::uint64_t total) {
  return total == 0 ? 0 : transferred * 1000 / total;
}

platform::HResult CCopyJobNotification::JobTransferred(platform::BackgroundCopyJob* job) {
  const platform::Window dialog = dialogWindow_;
  if (dialog == 0) return platform::hr::Ok;
  TAMBER_LOG(Debug, kCategory,
             L"Job transferred notification received, posting done message to the dialog.");
  PostDone(dialog);
  job->Complete();
  return platform::hr::Ok;
}

platform::HResult CCopyJobNotification::JobError(platform::BackgroundCopyJob* job,
                                                 platform::BackgroundCopyError* error) {
  std::wstring name = L"(unknown)", description = L"(no description)";
  job->GetDisplayName(&name);
  if (error != nullptr)
    error->GetErrorDescription(platform::system().UserDefaultLangId(), &description);
  TAMBER_LOG(Error, kCategory, L"Job error notification received, job '%s', error '%s'.", name,
             description);
  const platform::Window dialog = dialogWindow_;
  if (dialog != 0) PostDone(dialog);
  return platform::hr::Ok;
}

platform::HResult CCopyJobNotification::JobModification(platform::BackgroundCopyJob* job,
                                                        std::uint32_t) {
  const platform::Window dialog = dialogWindow_;
  if (dialog == 0) return platform::hr::Ok;
  std::uint32_t state = 0;
  job->GetState(&state);
  using namespace platform::bits;
  switch (state) {
    case Queued: TAMBER_LOG(Info, kCategory, L"Job state: queued."); break;
    case Connecting: TAMBER_LOG(Info, kCategory, L"Job state: connecting."); break;
    case Transferring:
      TAMBER_LOG(Info, kCategory, L"Job state: transferring.");
      ReportProgress(job);
      break;
    case Suspended: TAMBER_LOG(Info, kCategory, L"Job state: suspended."); break;
    case Error: TAMBER_LOG(Error, kCategory, L"Job state: error. Download job failed."); break;
    case TransientError: TAMBER_LOG(Warning, kCategory, L"Job state: transient error."); break;
    case Transferred:
      TAMBER_LOG(Info, kCategory, L"Job state: transferred. Download complete.");
      break;
    case Acknowledged:
      TAMBER_LOG(Info, kCategory,
                 L"Job state: acknowledged (job has completed successfully and Complete has been "
                 L"called).");
      break;
    case Cancelled:
      TAMBER_LOG(Info, kCategory, L"Job state: cancelled.");
      PostDone(dialog);
      break;
    default: TAMBER_LOG(Debug, kCategory, L"Copy job state %d", state); break;
  }
  return platform::hr::Ok;
}

// Posts the progress when its value in thousandths changed: a large file gives at most
// 1,000 updates, however often the service reports.
void CCopyJobNotification::ReportProgress(platform::BackgroundCopyJob* job) {
  platform::JobProgress progress;
  if (platform::hr::Failed(job->GetProgress(&progress))) return;
  const std::uint64_t perMille = PerMille(progress.bytesTransferred, progress.bytesTotal);
  if (perMille == lastPerMille_) return;
  TAMBER_LOG(Debug, kCategory,
             L"Job modified notification received, progress %I64u (%I64u bytes received of "
             L"%I64u bytes), posting progress message to the dialog.",
             perMille, progress.bytesTransferred, progress.bytesTotal);
  platform::ui().PostWindowMessage(dialogWindow_, WM_COPYJOB_PROGRESS,
                                   static_cast<std::uint32_t>(progress.bytesTransferred),
                                   static_cast<std::intptr_t>(static_cast<std::uint32_t>(progress.bytesTotal)));
  lastPerMille_ = perMille;
}

}  // namespace setup
