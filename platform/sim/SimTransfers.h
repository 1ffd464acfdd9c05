// The background transfer service of the simulated machine: jobs of one file that move
// through the service's states on the virtual clock. A resumed job is queued, connects for
// kConnectMs, reads its source (a local path or file:// address from the simulated disk,
// an http:// or https:// address through libcurl) and then transfers at BytesPerSecond();
// a job that reached the end is transferred, and Complete writes its file into place. Jobs
// outlive the objects that name them and, through the machine folder, the process: a later
// run finds a job by its id. Notifications are delivered when the machine's modal loop runs
// the service (RunDue), as COM delivers them into a waiting single-threaded apartment.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Transfers.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimCom.h"
#include "platform/sim/SimFiles.h"

namespace platform::sim {

// One job as the service keeps it.
struct SimJobRecord {
  Guid id;
  std::wstring displayName;
  std::wstring remoteUrl;
  std::wstring localName;
  std::uint32_t state = bits::Suspended;
  std::uint32_t priority = bits::PriorityNormal;
  std::uint32_t minimumRetryDelay = 600;  // the service's default, in seconds
  std::uint32_t notifyFlags = bits::NotifyJobTransferred | bits::NotifyJobError;
  std::uint64_t bytesTotal = bits::SizeUnknown;
  std::uint64_t bytesTransferred = 0;
  HResult errorCode = hr::Ok;
  std::uint32_t errorContext = bits::ContextNone;
  // --- Run-time bookkeeping, not kept across runs.
  std::uint64_t phaseStart = 0;  // tick at which the current state began
  std::uint64_t bytesAtPhaseStart = 0;
  std::optional<std::string> payload;  // the source's content once read
  BackgroundCopyCallback* callback = nullptr;  // holds a reference
  std::uint32_t notifiedState = bits::Suspended;
  std::uint64_t notifiedBytes = 0;
  std::uint64_t lastModificationTick = 0;
};

// A failure the service reports for a source: at connecting, the job goes to the error
// state with this code and context.
struct SimTransferFailure {
  std::wstring remoteUrl;
  HResult code = bits::HttpError404;
  std::uint32_t context = bits::ContextRemoteFile;
};

// An address the machine's network serves from its own disk: `address` exactly, or, when it
// ends with '/', every address below it from the folder `path`.
struct SimWebFile {
  std::wstring address;
  std::wstring path;
};

class SimTransfers : public Transfers {
 public:
  static constexpr std::uint64_t kConnectMs = 200;
  // How often a transferring job with a callback reports its progress.
  static constexpr std::uint64_t kModificationIntervalMs = 100;

  SimTransfers(SimClock& clock, SimFiles& files, const SimCom& com);
  ~SimTransfers() override;
  SimTransfers(const SimTransfers&) = delete;
  SimTransfers& operator=(const SimTransfers&) = delete;

  // The result set with SetCreateResult (a disabled service), else S_OK and a manager.
  HResult CreateManager(std::uint32_t context, BackgroundCopyManager** manager) override;

  // --- The modal loop's side: the next tick at which a job with a callback changes (or
  // reports progress), and the delivery of every notification due by now.
  std::optional<std::uint64_t> NextDue();
  void RunDue();

  // --- Set-up and inspection.
  void SetCreateResult(HResult result) { createResult_ = result; }
  HResult CreateResult() const { return createResult_; }
  void SetBytesPerSecond(std::uint64_t rate) { bytesPerSecond_ = rate == 0 ? 1 : rate; }
  std::uint64_t BytesPerSecond() const { return bytesPerSecond_; }
  // The notifications the service delivers (BG_NOTIFY_* flags); by default all of them.
  // Wine delivers only the transferred one.
  void SetDeliveredNotifications(std::uint32_t flags) { delivered_ = flags; }
  std::uint32_t DeliveredNotifications() const { return delivered_; }
  void AddFailure(const SimTransferFailure& failure) { failures_.push_back(failure); }
  const std::vector<SimTransferFailure>& Failures() const { return failures_; }
  void AddWebFile(const SimWebFile& file) { webFiles_.push_back(file); }
  const std::vector<SimWebFile>& WebFiles() const { return webFiles_; }
  // Offline: http and https addresses no web file serves do not resolve, instead of being
  // fetched from the real network.
  void SetOffline(bool offline) { offline_ = offline; }
  bool Offline() const { return offline_; }
  // A job as a machine folder keeps it (its transfer starts again when it was running).
  void AddJob(const SimJobRecord& job);
  // The jobs the service knows now, brought up to the clock.
  std::vector<SimJobRecord> Jobs();
  SimJobRecord* FindJob(const Guid& id);
  // Jobs cancelled or completed since the start, by id (for tests).
  const std::vector<Guid>& CancelledJobs() const { return cancelled_; }

  // --- The job operations, for the job objects.
  HResult CreateJobRecord(const std::wstring& displayName, Guid* id);
  void Update(SimJobRecord& job);
  HResult AddFile(SimJobRecord& job, const std::wstring& remote, const std::wstring& local);
  HResult Resume(SimJobRecord& job);
  HResult Suspend(SimJobRecord& job);
  HResult Cancel(const Guid& id);
  HResult Complete(const Guid& id);
  HResult SetNotifyInterface(SimJobRecord& job, BackgroundCopyCallback* callback);
  // The state a job the service no longer knows ended in (acknowledged or cancelled).
  std::uint32_t EndedState(const Guid& id) const;

 private:
  void Connect(SimJobRecord& job, std::uint64_t at);
  HResult ReadSource(const std::wstring& remote, std::string* bytes, std::uint32_t* context);
  // The disk path a web file gives `remote`, or empty.
  std::wstring WebFilePath(const std::wstring& remote) const;
  void Notify(const Guid& id);
  void Remove(const Guid& id, std::uint32_t endState);

  SimClock& clock_;
  SimFiles& files_;
  const SimCom& com_;  // creating the manager needs the thread in an apartment
  HResult createResult_ = hr::Ok;
  std::uint64_t bytesPerSecond_ = 4 * 1024 * 1024;
  std::vector<SimTransferFailure> failures_;
  std::vector<SimWebFile> webFiles_;
  bool offline_ = false;
  std::map<std::wstring, std::unique_ptr<SimJobRecord>> jobs_;  // by GuidToString of the id
  std::vector<Guid> cancelled_;
  std::map<std::wstring, std::uint32_t> ended_;
  std::uint64_t nextGuid_ = 1;
  std::uint32_t delivered_ = bits::NotifyJobTransferred | bits::NotifyJobError |
                             bits::NotifyJobModification;
};

}  // namespace platform::sim
