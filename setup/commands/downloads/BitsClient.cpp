#include "setup/commands/downloads/BitsClient.h"

#include <exception>

#include "ComUtil/ComApartment.h"
#include "ComUtil/HeapObject.h"
#include "ComUtil/IssueError.h"
#include "logging/Log.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/SystemInfo.h"
#include "platform/UserInterface.h"
#include "setup/commands/downloads/CopyJobNotification.h"
#include "setup/commands/downloads/ProgressDlg.h"
#include "setup/session/LastErrorReport.h"
#include "setup/session/Messages.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "BitsClient";
const wchar_t kDownload[] = L"Download";
constexpr std::uint32_t kMinimumRetryDelaySeconds = 60;
constexpr std::uint32_t kDownloadFailureTitle = 223;
constexpr std::uint32_t kDownloadFailureText = 224;

void Check(platform::HResult result, int line) {
  ComUtil::ThrowIfFailedWithErrorInfo(result, kLogSource, line);
}
#define TAMBER_CHECK(call) Check((call), __LINE__)

// A target file left by an earlier attempt is removed, read-only or not: the service
// would not replace it.
void ClearTarget(const std::wstring& targetPath) {
  platform::Files& files = platform::files();
  const std::uint32_t attributes = files.Attributes(targetPath);
  if (attributes == platform::file::InvalidAttributes ||
      (attributes & platform::file::AttributeDirectory) != 0)
    return;
  files.SetAttributes(targetPath, attributes & ~platform::file::AttributeReadOnly);
  if (files.Delete(targetPath)) return;
  const LastErrorReport failure;
  TAMBER_LOG(Error, kDownload,
             L"Failed to delete target file '%s' with attributes 0x%X, GetLastError: 0x%X, '%s'.",
             targetPath, attributes, failure.code, failure.text);
}

void ShowFailureBox() {
  TamberMessageBox(LocalizedStringFromResources(kDownloadFailureTitle),
                   LocalizedStringFromResources(kDownloadFailureText), L"error",
                   platform::mb::UserIcon);
}

// The language of the thread's locale, for the service's error descriptions.
platform::LangId ThreadLanguage() { return platform::system().UserDefaultLangId(); }

// Logs what the service can tell about a job that did not end as it should.
void LogJobError(platform::BackgroundCopyJob* job) {
  ComUtil::ComPtr<platform::BackgroundCopyError> error;
  if (platform::hr::Failed(job->GetError(error.Receive())) || !error) {
    TAMBER_LOG(Error, kDownload, L"Failed to download file, failed to retrieve copy job's error information.");
    return;
  }
  std::uint32_t context = 0;
  platform::HResult code = 0;
  if (platform::hr::Failed(error->GetError(&context, &code))) {
    TAMBER_LOG(Error, kDownload, L"Failed to download file, failed to retrieve error information.");
    return;
  }
  std::wstring description;
  if (platform::hr::Failed(error->GetErrorDescription(ThreadLanguage(), &description))) {
    TAMBER_LOG(Error, kDownload, L"Failed to download file, failed to retrieve error description.");
    return;
  }
  TAMBER_LOG(Error, kDownload, L"Failed to download file. BITS context %d, description: %s",
             context, description);
}

std::uint32_t StateOf(platform::BackgroundCopyJob* job) {
  std::uint32_t state = platform::bits::Error;
  job->GetState(&state);
  return state;
}

bool IsSuccess(std::uint32_t state, bool background) {
  using namespace platform::bits;
  if (state == Acknowledged) return true;
  return background &&
         (state == Queued || state == Connecting || state == Transferring || state == Transferred);
}

platform::Guid ParseJobId(const std::wstring& jobId) {
  platform::Guid id;
  platform::GuidFromString(jobId, &id);
  return id;
}

}  // namespace

std::wstring JobIdString(const platform::Guid& id) { return platform::GuidToString(id); }

bool BitsClient::Download(const std::wstring& sourceUri, const std::wstring& displayName,
                          const std::wstring& targetPath, bool background,
                          std::wstring* copyJobId, bool* foundExistingJob,
                          ErrorHandling errors) {
  try {
    return DownloadOrThrow(sourceUri, displayName, targetPath, background, copyJobId,
                           foundExistingJob);
  } catch (const ComUtil::_com_error& error) {
    TAMBER_LOG(Error, kDownload, L"COM error '0x%X', '%s", static_cast<std::uint32_t>(error.Error()),
               error.ErrorMessage());
    constexpr std::uint32_t kServiceDisabled = 1058;
    if (errors == kServiceDisabledEscapes &&
        (static_cast<std::uint32_t>(error.Error()) & 0xFFFF) == kServiceDisabled)
      throw;
    ShowFailureBox();
    return false;
  }
}

bool BitsClient::DownloadOrThrow(const std::wstring& sourceUri, const std::wstring& displayName,
                                 const std::wstring& targetPath, bool background,
                                 std::wstring* copyJobId, bool* foundExistingJob) {
  ClearTarget(targetPath);
  EnsureManager();
  Job job = background ? StartBackground(sourceUri, displayName, targetPath, copyJobId)
                       : RunForeground(sourceUri, displayName, targetPath, foundExistingJob);
  if (IsSuccess(StateOf(job.get()), background)) return true;
  LogJobError(job.get());
  ShowFailureBox();
  job->Cancel();
  return false;
}

void BitsClient::EnsureManager() {
  if (manager_) return;
  TAMBER_LOG(Info, kDownload, L"Creating BITS background copy manager.");
  ComUtil::EnterComApartment();
  TAMBER_CHECK(platform::transfers().CreateManager(platform::bits::ClassContextAll, manager_.Receive()));
}

BitsClient::Job BitsClient::FindJob(const std::wstring& jobId) {
  Job job;
  if (platform::hr::Failed(manager_->GetJob(ParseJobId(jobId), job.Receive()))) job.Reset();
  return job;
}

BitsClient::Job BitsClient::CreateJob(const std::wstring& sourceUri, const std::wstring& displayName,
                                      const std::wstring& targetPath, std::wstring* jobId) {
  Job job;
  platform::Guid id;
  TAMBER_CHECK(manager_->CreateJob(displayName, platform::bits::JobTypeDownload, &id, job.Receive()));
  TAMBER_CHECK(job->AddFile(sourceUri, targetPath));
  *jobId = JobIdString(id);
  return job;
}

BitsClient::Job BitsClient::StartBackground(const std::wstring& sourceUri,
                                            const std::wstring& displayName,
                                            const std::wstring& targetPath,
                                            std::wstring* copyJobId) {
  Job job;
  if (!copyJobId->empty()) {
    job = FindJob(*copyJobId);
    if (job)
      TAMBER_LOG(Info, kDownload, L"Found existing copy job with JobID '%s'.", *copyJobId);
    else
      TAMBER_LOG(Warning, kDownload, L"Could not find copy job with JobID '%s'.", *copyJobId);
  }
  if (!job) {
    TAMBER_LOG(Info, kDownload, L"Creating BITS job with normal priority.");
    job = CreateJob(sourceUri, displayName, targetPath, copyJobId);
    TAMBER_CHECK(job->SetMinimumRetryDelay(kMinimumRetryDelaySeconds));
  }
  downloadJobMap_[sourceUri] = *copyJobId;
  TAMBER_CHECK(job->SetPriority(platform::bits::PriorityNormal));
  TAMBER_CHECK(job->Resume());
  return job;
}

BitsClient::Job BitsClient::RunForeground(const std::wstring& sourceUri,
                                          const std::wstring& displayName,
                                          const std::wstring& targetPath, bool* foundExistingJob) {
  TAMBER_LOG(Info, kDownload, L"Checking for an existing copy job from a background download.");
  Job job;
  if (TakeOverBackgroundJob(sourceUri, &job)) *foundExistingJob = true;
  if (job) return job;
  TAMBER_LOG(Info, kDownload, L"Creating BITS job with foreground priority.");
  std::wstring jobId;
  job = CreateJob(sourceUri, displayName, targetPath, &jobId);
  TAMBER_CHECK(job->SetPriority(platform::bits::PriorityForeground));
  RunProgressDialog(job.get());
  return job;
}

// This run's background job of `sourceUri`, raised to the foreground: completed at once
// when it has transferred, else followed in the dialog. False when there is none.
bool BitsClient::TakeOverBackgroundJob(const std::wstring& sourceUri, Job* job) {
  auto entry = downloadJobMap_.find(sourceUri);
  if (entry == downloadJobMap_.end()) return false;
  const std::wstring jobId = entry->second;
  downloadJobMap_.erase(entry);
  *job = FindJob(jobId);
  if (!*job) {
    TAMBER_LOG(Warning, kDownload, L"Could not find existing copy job with JobID '%s'.", jobId);
    return false;
  }
  const std::uint32_t state = StateOf(job->get());
  TAMBER_LOG(Info, kDownload, L"Found existing copy job with JobID '%s', state %d.", jobId, state);
  if (state == platform::bits::Transferred) {
    const platform::HResult result = (*job)->Complete();
    TAMBER_LOG(Info, kDownload,
               L"Existing copy job state is 'transferred', state set to complete with result 0x%08X.",
               static_cast<std::uint32_t>(result));
    return true;
  }
  TAMBER_LOG(Info, kDownload,
             L"Existing copy job is running, setting priority to foreground and displaying progress dialog.");
  TAMBER_CHECK((*job)->SetPriority(platform::bits::PriorityForeground));
  RunProgressDialog(job->get());
  return true;
}

void BitsClient::RunProgressDialog(platform::BackgroundCopyJob* job) {
  auto* callbacks = new ComUtil::CHeapObject<CCopyJobNotification, platform::BackgroundCopyCallback>();
  callbacks->AddRef();
  ComUtil::ComPtr<platform::BackgroundCopyCallback> notification(callbacks);
  platform::HResult result = job->SetNotifyInterface(notification.get());
  if (result != platform::hr::Ok) {
    TAMBER_LOG(Error, L"RunProgressDialog",
               L"Failed to set the notify interface on the BITS job, result 0x%08X.",
               static_cast<std::uint32_t>(result));
    return;
  }
  std::exception_ptr failure;
  result = job->SetNotifyFlags(kCopyJobNotifyFlags);
  if (result != platform::hr::Ok) {
    TAMBER_LOG(Error, L"RunProgressDialog",
               L"Failed to set the notify flags on the BITS job, result 0x%08X.",
               static_cast<std::uint32_t>(result));
  } else {
    CProgressDlg dialog(job, *callbacks);
    failure = dialog.DoModal(platform::ui().ActiveWindow());
  }
  job->SetNotifyInterface(nullptr);
  // The error that ended the dialog (a failing Resume) is reported by Download.
  if (failure) std::rethrow_exception(failure);
}

void BitsClient::CancelBackgroundCopyJobs() {
  TAMBER_LOG(Info, L"CancelBackgroundCopyJobs", L"Checking for background copy jobs.");
  for (const auto& [uri, jobId] : downloadJobMap_) {
    TAMBER_LOG(Info, L"CancelBackgroundCopyJobs",
               L"Cancelling background copy job with source URI '%s', JobID '%s'.", uri, jobId);
    Job job;
    if (manager_ && platform::hr::Succeeded(manager_->GetJob(ParseJobId(jobId), job.Receive())) && job)
      job->Cancel();
    else
      TAMBER_LOG(Warning, L"CancelBackgroundCopyJobs", L"Could not find copy job.");
  }
}

}  // namespace setup
