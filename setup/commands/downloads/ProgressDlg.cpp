#include "setup/commands/downloads/ProgressDlg.h"

#include "ComUtil/ComPtr.h"
#include "ComUtil/IssueError.h"
#include "logging/Log.h"
#include "platform/Machine.h"
#include "setup/session/Messages.h"
#include "text/Format.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "ProgressDlg";
const wchar_t kCategory[] = L"ProgressDialog";
constexpr std::uint32_t kCaption = 215, kHeader = 218, kFileLine = 219, kByteLine = 220;
constexpr std::uint32_t kCancelTitle = 221, kCancelQuestion = 222;
constexpr int kHeaderControl = 1000, kBarControl = 1001, kFileControl = 1002, kByteControl = 1003;
constexpr std::uint32_t kBarRange = 1000;
constexpr std::uint32_t kMegabyte = 1024 * 1024;

void ReplaceFirst(std::wstring* text, const std::wstring& token, const std::wstring& value) {
  const std::size_t at = text->find(token);
  if (at != std::wstring::npos) text->replace(at, token.size(), value);
}

bool IsFinal(std::uint32_t state) {
  using namespace platform::bits;
  return state == Error || state == Transferred || state == Acknowledged || state == Cancelled;
}

}  // namespace

std::wstring ByteLine(const std::wstring& text, std::uint32_t transferred, std::uint32_t total) {
  std::wstring line = text;
  ReplaceFirst(&line, L"%BYTES-TOTAL%", text::DecimalText(total / kMegabyte));
  ReplaceFirst(&line, L"%BYTES-TRANSFERRED%", text::DecimalText(transferred / kMegabyte));
  return line;
}

bool CProgressDlg::HandleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  switch (message) {
    case platform::wm::InitDialog: OnInitDialog(); return true;
    case WM_COPYJOB_PROGRESS:
      OnProgress(static_cast<std::uint32_t>(wParam), static_cast<std::uint32_t>(lParam));
      return true;
    case WM_COPYJOB_DONE: OnDone(); return true;
    case platform::wm::Timer:
      if (wParam != kPollTimer) return false;
      OnPoll();
      return true;
    case platform::wm::Command: {
      const std::uintptr_t control = wParam & 0xFFFF;
      if (control != platform::mb::IdOk && control != platform::mb::IdCancel) return false;
      OnCancel();
      return true;
    }
    default: return false;
  }
}

void CProgressDlg::OnInitDialog() {
  TAMBER_LOG(Debug, kCategory, L"OnInitDialog");
  platform::UserInterface& ui = platform::ui();
  const platform::Window window = DialogWindow();
  ui.CenterWindow(window, Owner());
  const std::wstring caption = LocalizedStringFromResources(kCaption);
  const std::wstring header = LocalizedStringFromResources(kHeader);
  fileLine_ = LocalizedStringFromResources(kFileLine);
  std::wstring name;
  job_->GetDisplayName(&name);
  ReplaceFirst(&fileLine_, L"%FILENAME%", name);
  ui.SetWindowCaption(window, caption);
  ui.SetDialogItemText(window, kHeaderControl, header);
  ui.SetDialogItemText(window, kFileControl, fileLine_);
  ui.SendDialogItemMessage(window, kBarControl, platform::wm::ProgressSetRange, 0,
                           static_cast<std::intptr_t>(kBarRange << 16));
  notification_.SetDialogWindow(window);
  ui.SetForegroundWindow(window);
  ui.SetTimer(window, kPollTimer, kPollIntervalMs);
  // Resumed only now, so that a new job cannot finish before the dialog is listening.
  ComUtil::ThrowIfFailedWithErrorInfo(job_->Resume(), kLogSource, __LINE__);
}

void CProgressDlg::OnProgress(std::uint32_t transferred, std::uint32_t total) {
  TAMBER_LOG(Debug, kCategory, L"OnProgress");
  platform::UserInterface& ui = platform::ui();
  ui.SetDialogItemText(DialogWindow(), kByteControl,
                       ByteLine(LocalizedStringFromResources(kByteLine), transferred, total));
  ui.SendDialogItemMessage(DialogWindow(), kBarControl, platform::wm::ProgressSetPos,
                           static_cast<std::uintptr_t>(PerMille(transferred, total)), 0);
}

void CProgressDlg::OnDone() {
  TAMBER_LOG(Debug, kCategory, L"OnDone");
  notification_.SetDialogWindow(0);
  platform::ui().KillTimer(DialogWindow(), kPollTimer);
  EndDialog(0);
}

void CProgressDlg::OnCancel() {
  TAMBER_LOG(Debug, kCategory, L"OnCancel");
  job_->Suspend();
  asking_ = true;
  const int answer =
      TamberMessageBox(LocalizedStringFromResources(kCancelTitle),
                       LocalizedStringFromResources(kCancelQuestion), L"",
                       platform::mb::YesNo | platform::mb::UserIcon);
  asking_ = false;
  if (answer == platform::mb::IdYes) {
    TAMBER_LOG(Info, L"OnCancel", L"Cancel download dialog displayed, user chose to abort.");
    notification_.SetDialogWindow(0);
    job_->Cancel();
    platform::ui().KillTimer(DialogWindow(), kPollTimer);
    EndDialog(0);
    return;
  }
  TAMBER_LOG(Info, L"OnCancel", L"Cancel download dialog displayed, user declined to abort.");
  job_->Resume();
}

// Stands in for the notifications that did not come: progress while the job transfers, and
// the end once it reached a final state (a transferred job is completed first).
void CProgressDlg::OnPoll() {
  if (asking_ || notification_.DialogWindow() == 0) return;
  std::uint32_t state = platform::bits::Queued;
  if (platform::hr::Failed(job_->GetState(&state))) return;
  if (!IsFinal(state)) {
    if (state == platform::bits::Transferring) notification_.ReportProgress(job_);
    return;
  }
  TAMBER_LOG(Info, kCategory, L"Job reached state %d without a notification, ending the dialog.",
             state);
  if (state == platform::bits::Transferred) {
    notification_.JobTransferred(job_);
  } else if (state == platform::bits::Error) {
    ComUtil::ComPtr<platform::BackgroundCopyError> error;
    job_->GetError(error.Receive());
    notification_.JobError(job_, error.get());
  } else {
    platform::ui().PostWindowMessage(DialogWindow(), WM_COPYJOB_DONE, 0, 0);
  }
}

}  // namespace setup
