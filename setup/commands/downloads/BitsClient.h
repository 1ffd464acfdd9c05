// The one object of a run that talks to the background transfer service: foreground
// downloads with the progress dialog, background downloads that go on while the script
// runs (and outlive the process), and the cancelling of a failed run's background jobs.
#pragma once

#include <map>
#include <string>

#include "ComUtil/ComPtr.h"
#include "platform/Transfers.h"

namespace setup {

class BitsClient {
 public:
  // Downloads `sourceUri` to `targetPath` as a job named `displayName`. A background call
  // reuses the job named by *copyJobId when the service still knows it (else it creates
  // one), leaves *copyJobId naming the job, and returns true while the job is queued,
  // connecting, transferring or transferred. A foreground call takes over this run's
  // background job of the same URI (setting *foundExistingJob) or creates a job, shows the
  // progress dialog, and returns true only when the file is in place. On false the user has
  // seen the download failure box. Never lets an error escape.
  //
  // With kServiceDisabledEscapes, an error whose code ends in 1058 (the service is
  // disabled) is raised to the caller after its log line, without the failure box, so that
  // the web script's download can enable the service and try again.
  enum ErrorHandling { kAllErrorsCaught, kServiceDisabledEscapes };
  bool Download(const std::wstring& sourceUri, const std::wstring& displayName,
                const std::wstring& targetPath, bool background, std::wstring* copyJobId,
                bool* foundExistingJob, ErrorHandling errors = kAllErrorsCaught);

  // Cancels every background job this run started or reused, in URI order. The map of
  // jobs is left as it is.
  void CancelBackgroundCopyJobs();

  // Source URI -> JobID of the background jobs of this run.
  const std::map<std::wstring, std::wstring>& DownloadJobMap() const { return downloadJobMap_; }

 private:
  using Job = ComUtil::ComPtr<platform::BackgroundCopyJob>;
  bool DownloadOrThrow(const std::wstring& sourceUri, const std::wstring& displayName,
                       const std::wstring& targetPath, bool background, std::wstring* copyJobId,
                       bool* foundExistingJob);
  void EnsureManager();
  Job FindJob(const std::wstring& jobId);
  Job CreateJob(const std::wstring& sourceUri, const std::wstring& displayName,
                const std::wstring& targetPath, std::wstring* jobId);
  Job StartBackground(const std::wstring& sourceUri, const std::wstring& displayName,
                      const std::wstring& targetPath, std::wstring* copyJobId);
  Job RunForeground(const std::wstring& sourceUri, const std::wstring& displayName,
                    const std::wstring& targetPath, bool* foundExistingJob);
  bool TakeOverBackgroundJob(const std::wstring& sourceUri, Job* job);
  void RunProgressDialog(platform::BackgroundCopyJob* job);

  ComUtil::ComPtr<platform::BackgroundCopyManager> manager_;
  std::map<std::wstring, std::wstring> downloadJobMap_;
};

// The JobID text of a job id: the registry form with upper-case hex digits.
std::wstring JobIdString(const platform::Guid& id);

}  // namespace setup
