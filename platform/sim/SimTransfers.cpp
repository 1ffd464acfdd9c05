#include "platform/sim/SimTransfers.h"

#include "platform/sim/SimErrors.h"

#include <algorithm>
#include <random>

#include "ComUtil/ComPtr.h"
#include "ComUtil/HeapObject.h"
#include "platform/sim/SimFactFields.h"
#include "platform/sim/SimHttp.h"
#include "platform/sim/SimPath.h"
#include "platform/sim/SimText.h"

namespace platform::sim {
namespace {

using ComUtil::NewReference;

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.rfind(prefix, 0) == 0;
}

// "file://C:/x/a.msi" or "file:///C:/x/a.msi" as the path C:\x\a.msi.
std::wstring FileUrlPath(const std::wstring& url) {
  std::wstring path = url.substr(7);
  if (path.size() > 2 && path[0] == L'/' && path[2] == L':') path.erase(0, 1);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

class SimCopyError : public BackgroundCopyError {
 public:
  SimCopyError(HResult code, std::uint32_t context) : code_(code), context_(context) {}
  HResult GetError(std::uint32_t* context, HResult* code) override {
    *context = context_;
    *code = code_;
    return hr::Ok;
  }
  HResult GetErrorDescription(LangId, std::wstring* description) override {
    *description = L"The transfer failed with error " + FactCode(static_cast<std::uint32_t>(code_), true) + L".";
    return hr::Ok;
  }

 protected:
  ~SimCopyError() = default;

 private:
  HResult code_;
  std::uint32_t context_;
};

class SimCopyJob : public BackgroundCopyJob {
 public:
  SimCopyJob(SimTransfers& service, const Guid& id) : service_(service), id_(id) {}

  HResult AddFile(const std::wstring& remote, const std::wstring& local) override {
    SimJobRecord* job = Record();
    return job == nullptr ? bits::InvalidState : service_.AddFile(*job, remote, local);
  }
  HResult Suspend() override {
    SimJobRecord* job = Record();
    return job == nullptr ? bits::InvalidState : service_.Suspend(*job);
  }
  HResult Resume() override {
    SimJobRecord* job = Record();
    return job == nullptr ? bits::InvalidState : service_.Resume(*job);
  }
  HResult Cancel() override { return service_.Cancel(id_); }
  HResult Complete() override { return service_.Complete(id_); }
  HResult GetId(Guid* id) override {
    *id = id_;
    return hr::Ok;
  }
  HResult GetProgress(JobProgress* progress) override {
    SimJobRecord* job = Record();
    if (job == nullptr) return bits::InvalidState;
    progress->bytesTotal = job->bytesTotal;
    progress->bytesTransferred = job->bytesTransferred;
    progress->filesTotal = job->remoteUrl.empty() ? 0 : 1;
    progress->filesTransferred = job->state == bits::Transferred ? 1 : 0;
    return hr::Ok;
  }
  HResult GetState(std::uint32_t* state) override {
    SimJobRecord* job = Record();
    // A cancelled or acknowledged job is gone from the service; its objects still tell the
    // state it ended in.
    *state = job == nullptr ? service_.EndedState(id_) : job->state;
    return hr::Ok;
  }
  HResult GetError(BackgroundCopyError** error) override {
    *error = nullptr;
    SimJobRecord* job = Record();
    if (job == nullptr || job->errorCode == hr::Ok) return bits::ErrorInformationUnavailable;
    *error = NewReference<SimCopyError, BackgroundCopyError>(job->errorCode, job->errorContext);
    return hr::Ok;
  }
  HResult GetDisplayName(std::wstring* name) override {
    SimJobRecord* job = Record();
    if (job == nullptr) return bits::InvalidState;
    *name = job->displayName;
    return hr::Ok;
  }
  HResult SetPriority(std::uint32_t priority) override {
    SimJobRecord* job = Record();
    if (job == nullptr) return bits::InvalidState;
    if (priority > bits::PriorityLow) return hr::InvalidArg;
    job->priority = priority;
    return hr::Ok;
  }
  HResult SetNotifyFlags(std::uint32_t flags) override {
    SimJobRecord* job = Record();
    if (job == nullptr) return bits::InvalidState;
    job->notifyFlags = flags;
    return hr::Ok;
  }
  HResult SetNotifyInterface(BackgroundCopyCallback* callback) override {
    SimJobRecord* job = Record();
    return job == nullptr ? bits::InvalidState : service_.SetNotifyInterface(*job, callback);
  }
  HResult SetMinimumRetryDelay(std::uint32_t seconds) override {
    SimJobRecord* job = Record();
    if (job == nullptr) return bits::InvalidState;
    job->minimumRetryDelay = seconds;
    return hr::Ok;
  }

 protected:
  ~SimCopyJob() = default;

 private:
  // The service's record brought up to the clock, or null once the job is gone.
  SimJobRecord* Record() { return service_.FindJob(id_); }

  SimTransfers& service_;
  Guid id_;
};

class SimCopyManager : public BackgroundCopyManager {
 public:
  explicit SimCopyManager(SimTransfers& service) : service_(service) {}
  HResult CreateJob(const std::wstring& displayName, std::uint32_t type, Guid* id,
                    BackgroundCopyJob** job) override {
    *job = nullptr;
    if (type != bits::JobTypeDownload) return hr::InvalidArg;
    const HResult result = service_.CreateJobRecord(displayName, id);
    if (hr::Succeeded(result)) *job = NewReference<SimCopyJob, BackgroundCopyJob>(service_, *id);
    return result;
  }
  HResult GetJob(const Guid& id, BackgroundCopyJob** job) override {
    *job = nullptr;
    if (service_.FindJob(id) == nullptr) return bits::NotFound;
    *job = NewReference<SimCopyJob, BackgroundCopyJob>(service_, id);
    return hr::Ok;
  }

 protected:
  ~SimCopyManager() = default;

 private:
  SimTransfers& service_;
};

bool IsActive(std::uint32_t state) {
  return state == bits::Queued || state == bits::Connecting || state == bits::Transferring;
}

}  // namespace

SimTransfers::SimTransfers(SimClock& clock, SimFiles& files, const SimCom& com)
    : clock_(clock), files_(files), com_(com) {
  std::random_device seed;
  nextGuid_ = (static_cast<std::uint64_t>(seed()) << 32) | seed();
}

SimTransfers::~SimTransfers() {
  for (auto& entry : jobs_)
    if (entry.second->callback != nullptr) entry.second->callback->Release();
}

HResult SimTransfers::CreateManager(std::uint32_t, BackgroundCopyManager** manager) {
  *manager = nullptr;
  if (!com_.IsInitialized()) return simerr::NotInitialized;
  if (hr::Failed(createResult_)) return createResult_;
  *manager = NewReference<SimCopyManager, BackgroundCopyManager>(*this);
  return hr::Ok;
}

HResult SimTransfers::CreateJobRecord(const std::wstring& displayName, Guid* id) {
  auto job = std::make_unique<SimJobRecord>();
  std::mt19937_64 random(nextGuid_++);
  const std::uint64_t high = random(), low = random();
  job->id.data1 = static_cast<std::uint32_t>(high >> 32);
  job->id.data2 = static_cast<std::uint16_t>(high >> 16);
  job->id.data3 = static_cast<std::uint16_t>((high & 0x0FFF) | 0x4000);
  for (int i = 0; i < 8; ++i) job->id.data4[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(low >> (8 * i));
  job->displayName = displayName;
  job->phaseStart = clock_.Ticks();
  *id = job->id;
  jobs_[GuidToString(*id)] = std::move(job);
  return hr::Ok;
}

void SimTransfers::AddJob(const SimJobRecord& job) {
  auto copy = std::make_unique<SimJobRecord>(job);
  copy->callback = nullptr;
  copy->payload.reset();
  copy->notifiedState = copy->state;
  copy->phaseStart = clock_.Ticks();
  // The service went on while no process watched: a running job starts its transfer again.
  if (IsActive(copy->state)) {
    copy->state = bits::Queued;
    copy->bytesTransferred = 0;
  }
  jobs_[GuidToString(copy->id)] = std::move(copy);
}

SimJobRecord* SimTransfers::FindJob(const Guid& id) {
  auto it = jobs_.find(GuidToString(id));
  if (it == jobs_.end()) return nullptr;
  Update(*it->second);
  return it->second.get();
}

std::vector<SimJobRecord> SimTransfers::Jobs() {
  std::vector<SimJobRecord> jobs;
  for (auto& entry : jobs_) {
    Update(*entry.second);
    jobs.push_back(*entry.second);
    jobs.back().callback = nullptr;
  }
  return jobs;
}

HResult SimTransfers::AddFile(SimJobRecord& job, const std::wstring& remote,
                              const std::wstring& local) {
  if (!job.remoteUrl.empty() || job.state != bits::Suspended) return bits::InvalidState;
  // The service checks that it may create the file in the local folder.
  const std::uint32_t folder = files_.Attributes(ParentPath(local));
  if (folder == file::InvalidAttributes || (folder & file::AttributeDirectory) == 0)
    return hr::FromWin32(err::PathNotFound);
  job.remoteUrl = remote;
  job.localName = local;
  return hr::Ok;
}

HResult SimTransfers::Resume(SimJobRecord& job) {
  if (job.remoteUrl.empty()) return bits::Empty;
  if (job.state == bits::Transferred) return hr::Ok;
  if (IsActive(job.state)) return hr::Ok;
  job.state = bits::Queued;
  job.errorCode = hr::Ok;
  job.errorContext = bits::ContextNone;
  job.phaseStart = clock_.Ticks();
  return hr::Ok;
}

HResult SimTransfers::Suspend(SimJobRecord& job) {
  if (job.state == bits::Transferred) return bits::InvalidState;
  job.state = bits::Suspended;
  job.phaseStart = clock_.Ticks();
  return hr::Ok;
}

HResult SimTransfers::Cancel(const Guid& id) {
  if (FindJob(id) == nullptr) return bits::InvalidState;
  cancelled_.push_back(id);
  Remove(id, bits::Cancelled);
  return hr::Ok;
}

HResult SimTransfers::Complete(const Guid& id) {
  SimJobRecord* job = FindJob(id);
  if (job == nullptr || job->state != bits::Transferred) return bits::InvalidState;
  if (!job->payload) {
    std::uint32_t context = 0;
    std::string bytes;
    if (hr::Failed(ReadSource(job->remoteUrl, &bytes, &context))) return bits::InvalidState;
    job->payload = bytes;
  }
  if (!files_.OpenAndClose(job->localName, file::GenericWrite, file::ShareNone, file::CreateAlways))
    return hr::FromWin32(err::AccessDenied);
  files_.PutFile(job->localName, *job->payload);
  Remove(id, bits::Acknowledged);
  return hr::Ok;
}

HResult SimTransfers::SetNotifyInterface(SimJobRecord& job, BackgroundCopyCallback* callback) {
  if (callback != nullptr) callback->AddRef();
  if (job.callback != nullptr) job.callback->Release();
  job.callback = callback;
  job.notifiedState = job.state;
  job.notifiedBytes = job.bytesTransferred;
  return hr::Ok;
}

std::uint32_t SimTransfers::EndedState(const Guid& id) const {
  auto it = ended_.find(GuidToString(id));
  return it == ended_.end() ? bits::Cancelled : it->second;
}

void SimTransfers::Remove(const Guid& id, std::uint32_t endState) {
  auto it = jobs_.find(GuidToString(id));
  if (it == jobs_.end()) return;
  ended_[it->first] = endState;
  std::unique_ptr<SimJobRecord> job = std::move(it->second);
  jobs_.erase(it);
  if (job->callback != nullptr) job->callback->Release();
}

HResult SimTransfers::ReadSource(const std::wstring& remote, std::string* bytes,
                                 std::uint32_t* context) {
  *context = bits::ContextRemoteFile;
  for (const SimTransferFailure& failure : failures_)
    if (failure.remoteUrl == remote) {
      *context = failure.context;
      return failure.code;
    }
  const std::wstring served = WebFilePath(remote);
  const bool web = StartsWith(remote, L"http://") || StartsWith(remote, L"https://");
  if (web && served.empty())
    return offline_ ? kHttpNameNotResolved : FetchHttp(WideToUtf8(remote), bytes);
  std::wstring path = served;
  if (path.empty()) path = StartsWith(remote, L"file://") ? FileUrlPath(remote) : remote;
  const std::optional<std::string> content = files_.FileBytes(path);
  if (!content) return web ? bits::HttpError404 : hr::FromWin32(err::FileNotFound);
  *bytes = *content;
  return hr::Ok;
}

std::wstring SimTransfers::WebFilePath(const std::wstring& remote) const {
  for (const SimWebFile& file : webFiles_) {
    if (file.address.empty()) continue;
    if (file.address.back() != L'/') {
      if (EqualsNoCase(file.address, remote)) return file.path;
      continue;
    }
    if (remote.size() <= file.address.size() ||
        !EqualsNoCase(std::wstring_view(remote).substr(0, file.address.size()), file.address))
      continue;
    std::wstring rest = remote.substr(file.address.size());
    rest = rest.substr(0, rest.find_first_of(L"?#"));
    std::replace(rest.begin(), rest.end(), L'/', L'\\');
    std::wstring folder = file.path;
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder + rest;
  }
  return std::wstring();
}

void SimTransfers::Connect(SimJobRecord& job, std::uint64_t at) {
  std::string bytes;
  std::uint32_t context = 0;
  const HResult result = ReadSource(job.remoteUrl, &bytes, &context);
  job.phaseStart = at;
  if (hr::Failed(result)) {
    job.state = bits::Error;
    job.errorCode = result;
    job.errorContext = context;
    return;
  }
  job.payload = bytes;
  job.bytesTotal = bytes.size();
  job.bytesAtPhaseStart = std::min<std::uint64_t>(job.bytesTransferred, job.bytesTotal);
  job.state = bits::Transferring;
}

void SimTransfers::Update(SimJobRecord& job) {
  const std::uint64_t now = clock_.Ticks();
  if (job.state == bits::Queued) job.state = bits::Connecting;
  if (job.state == bits::Connecting && now >= job.phaseStart + kConnectMs)
    Connect(job, job.phaseStart + kConnectMs);
  if (job.state != bits::Transferring) return;
  if (!job.payload) {
    // A job a machine folder brought back: its source is read again.
    job.state = bits::Connecting;
    job.phaseStart = now;
    return;
  }
  const std::uint64_t elapsed = now - job.phaseStart;
  const std::uint64_t moved = elapsed * bytesPerSecond_ / 1000;
  job.bytesTransferred = std::min(job.bytesTotal, job.bytesAtPhaseStart + moved);
  if (job.bytesTransferred == job.bytesTotal) job.state = bits::Transferred;
}

std::optional<std::uint64_t> SimTransfers::NextDue() {
  std::optional<std::uint64_t> next;
  const std::uint64_t now = clock_.Ticks();
  auto consider = [&](std::uint64_t tick) {
    if (!next || tick < *next) next = std::max(tick, now);
  };
  for (auto& entry : jobs_) {
    SimJobRecord& job = *entry.second;
    if (job.callback == nullptr) continue;
    Update(job);
    if (job.state != job.notifiedState || job.bytesTransferred != job.notifiedBytes) consider(now);
    if (job.state == bits::Connecting || job.state == bits::Queued)
      consider(job.phaseStart + kConnectMs);
    if (job.state == bits::Transferring) {
      const std::uint64_t left = job.bytesTotal - job.bytesTransferred;
      const std::uint64_t endMs = (left * 1000 + bytesPerSecond_ - 1) / bytesPerSecond_;
      consider(now + std::min(endMs, kModificationIntervalMs));
    }
  }
  return next;
}

void SimTransfers::RunDue() {
  std::vector<Guid> ids;
  for (auto& entry : jobs_)
    if (entry.second->callback != nullptr) ids.push_back(entry.second->id);
  for (const Guid& id : ids) Notify(id);
}

// Delivers what changed since the last delivery: a modification (state or bytes), then the
// transferred or error notification the job's flags ask for.
void SimTransfers::Notify(const Guid& id) {
  SimJobRecord* job = FindJob(id);
  if (job == nullptr || job->callback == nullptr) return;
  if (job->state == job->notifiedState && job->bytesTransferred == job->notifiedBytes) return;
  const bool reached = job->state != job->notifiedState;
  job->notifiedState = job->state;
  job->notifiedBytes = job->bytesTransferred;
  const std::uint32_t state = job->state;
  const std::uint32_t flags = job->notifyFlags & delivered_;
  ComUtil::ComPtr<BackgroundCopyCallback> callback(job->callback);
  callback->AddRef();
  ComUtil::ComPtr<BackgroundCopyJob> object(NewReference<SimCopyJob, BackgroundCopyJob>(*this, id));
  if (flags & bits::NotifyJobModification) callback->JobModification(object.get(), 0);
  if (!reached) return;
  if (state == bits::Transferred && (flags & bits::NotifyJobTransferred)) {
    callback->JobTransferred(object.get());
  } else if (state == bits::Error && (flags & bits::NotifyJobError)) {
    ComUtil::ComPtr<BackgroundCopyError> error;
    if (hr::Succeeded(object->GetError(error.Receive()))) callback->JobError(object.get(), error.get());
  }
}

}  // namespace platform::sim
