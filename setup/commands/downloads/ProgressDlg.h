// The progress dialog of a foreground download (dialog 128): the file being downloaded, a
// bar in thousandths and the megabytes transferred of the total, closed when the job ends,
// with a question before the user cancels. The job's notifications can be lost (some
// services never deliver modification or error notifications), so the dialog also looks at
// the job about once a second and ends when the job has reached a final state.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Transfers.h"
#include "setup/commands/downloads/CopyJobNotification.h"
#include "setup/commands/downloads/ModalDialog.h"

namespace setup {

class CProgressDlg : public ModalDialog {
 public:
  static constexpr std::uint32_t kResourceId = 128;
  static constexpr std::uintptr_t kPollTimer = 1;
  static constexpr std::uint32_t kPollIntervalMs = 1000;

  // Both are borrowed: the caller keeps them alive while the dialog runs.
  CProgressDlg(platform::BackgroundCopyJob* job, CCopyJobNotification& notification)
      : ModalDialog(kResourceId), job_(job), notification_(notification) {}

 private:
  bool HandleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void OnInitDialog();
  void OnProgress(std::uint32_t transferred, std::uint32_t total);
  void OnDone();
  void OnCancel();
  void OnPoll();

  platform::BackgroundCopyJob* job_;
  CCopyJobNotification& notification_;
  std::wstring fileLine_;
  bool asking_ = false;  // the cancel question is open
};

// The byte line: message 220 with "%BYTES-TOTAL%" and "%BYTES-TRANSFERRED%" replaced by
// whole megabytes.
std::wstring ByteLine(const std::wstring& text, std::uint32_t transferred, std::uint32_t total);

}  // namespace setup
