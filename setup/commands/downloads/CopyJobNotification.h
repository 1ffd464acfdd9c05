// The job callback of a foreground download: it turns the service's notifications into
// messages posted to the progress dialog, and completes a transferred job.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/Transfers.h"
#include "platform/UserInterface.h"

namespace setup {

// Posted to the dialog: wParam and lParam are the low 32 bits of the bytes transferred and
// of the bytes total.
constexpr std::uint32_t WM_COPYJOB_PROGRESS = platform::wm::App + 1000;
// Posted to the dialog: the job was transferred, failed or was cancelled.
constexpr std::uint32_t WM_COPYJOB_DONE = platform::wm::App + 1001;
// Transferred, error and modification notifications.
constexpr std::uint32_t kCopyJobNotifyFlags = platform::bits::NotifyJobTransferred |
                                              platform::bits::NotifyJobError |
                                              platform::bits::NotifyJobModification;

// Always created as ComUtil::CHeapObject<CCopyJobNotification, BackgroundCopyCallback>.
class CCopyJobNotification : public platform::BackgroundCopyCallback {
 public:
  // The dialog that receives the messages; 0 while none is listening.
  void SetDialogWindow(platform::Window window) { dialogWindow_ = window; }
  platform::Window DialogWindow() const { return dialogWindow_; }

  // Each returns S_OK whatever happens inside.
  platform::HResult TAMBER_COM_CALL JobTransferred(platform::BackgroundCopyJob* job) override;
  platform::HResult TAMBER_COM_CALL JobError(platform::BackgroundCopyJob* job,
                                             platform::BackgroundCopyError* error) override;
  platform::HResult TAMBER_COM_CALL JobModification(platform::BackgroundCopyJob* job,
                                                    std::uint32_t reserved) override;

  // The progress part of a modification: posts the job's progress when its value in
  // thousandths changed since the last one posted.
  void ReportProgress(platform::BackgroundCopyJob* job);

 protected:
  ~CCopyJobNotification() = default;

 private:
  std::atomic<platform::Window> dialogWindow_{0};
  std::uint64_t lastPerMille_ = 0;
};

// Thousandths of `total` that `transferred` makes, truncated; 0 for an empty total.
std::uint64_t PerMille(std::uint64_t transferred, std::uint64_t total);

}  // namespace setup
