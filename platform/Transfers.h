// Background transfers (BITS), at the grain of the COM operations the download client relies
// on: a manager that creates and finds jobs, a job of one file with its state and progress,
// the error of a failed job, and the callback the client implements. Every operation returns
// the service's HRESULT; texts that the service allocates arrive as std::wstring (the wrapper
// frees them). Objects are reference counted as COM objects are: hold them in a ComPtr.
#pragma once

#include <cstdint>
#include <string>

#include "ComUtil/Unknown.h"
#include "platform/Com.h"
#include "platform/Types.h"

namespace platform {

namespace bits {
// BG_JOB_STATE, with the service's values.
enum JobState : std::uint32_t {
  Queued = 0,
  Connecting = 1,
  Transferring = 2,
  Suspended = 3,
  Error = 4,
  TransientError = 5,
  Transferred = 6,
  Acknowledged = 7,
  Cancelled = 8,
};
// BG_JOB_PRIORITY.
constexpr std::uint32_t PriorityForeground = 0;
constexpr std::uint32_t PriorityHigh = 1;
constexpr std::uint32_t PriorityNormal = 2;
constexpr std::uint32_t PriorityLow = 3;
constexpr std::uint32_t JobTypeDownload = 0;  // BG_JOB_TYPE_DOWNLOAD
// BG_NOTIFY_* flags.
constexpr std::uint32_t NotifyJobTransferred = 0x1;
constexpr std::uint32_t NotifyJobError = 0x2;
constexpr std::uint32_t NotifyJobModification = 0x8;
// BG_ERROR_CONTEXT.
constexpr std::uint32_t ContextNone = 0;
constexpr std::uint32_t ContextUnknown = 1;
constexpr std::uint32_t ContextLocalFile = 4;
constexpr std::uint32_t ContextRemoteFile = 5;
constexpr std::uint32_t ContextGeneralTransport = 6;
// A size the service does not know yet (BG_SIZE_UNKNOWN).
constexpr std::uint64_t SizeUnknown = ~std::uint64_t{0};
// CLSCTX_ALL, the class context the manager is created in.
constexpr std::uint32_t ClassContextAll = 0x17;
// Results.
constexpr HResult NotFound = static_cast<HResult>(0x80200001u);         // BG_E_NOT_FOUND
constexpr HResult InvalidState = static_cast<HResult>(0x80200002u);     // BG_E_INVALID_STATE
constexpr HResult Empty = static_cast<HResult>(0x80200003u);            // BG_E_EMPTY
constexpr HResult ErrorInformationUnavailable = static_cast<HResult>(0x8020000Fu);
constexpr HResult HttpError404 = static_cast<HResult>(0x80190194u);     // BG_E_HTTP_ERROR_404
constexpr HResult ServiceDisabled = static_cast<HResult>(0x80070422u);  // ERROR_SERVICE_DISABLED
// BG_E_HTTP_ERROR_<status>: the HTTP status in the low 16 bits.
constexpr HResult HttpError(std::uint32_t status) {
  return static_cast<HResult>(0x80190000u | (status & 0xFFFFu));
}
}  // namespace bits

// BG_JOB_PROGRESS.
struct JobProgress {
  std::uint64_t bytesTotal = bits::SizeUnknown;
  std::uint64_t bytesTransferred = 0;
  std::uint32_t filesTotal = 0;
  std::uint32_t filesTransferred = 0;
};

// IBackgroundCopyError.
class BackgroundCopyError : public ComUtil::IUnknown {
 public:
  // {19C613A0-FCB8-4F28-81AE-897C3D078F81}
  static constexpr Guid kIid{0x19C613A0, 0xFCB8, 0x4F28,
                             {0x81, 0xAE, 0x89, 0x7C, 0x3D, 0x07, 0x8F, 0x81}};
  virtual HResult GetError(std::uint32_t* context, HResult* code) = 0;
  virtual HResult GetErrorDescription(LangId language, std::wstring* description) = 0;
};

class BackgroundCopyCallback;

// IBackgroundCopyJob, the operations used.
class BackgroundCopyJob : public ComUtil::IUnknown {
 public:
  // {37668D37-507E-4160-9316-26306D150B12}
  static constexpr Guid kIid{0x37668D37, 0x507E, 0x4160,
                             {0x93, 0x16, 0x26, 0x30, 0x6D, 0x15, 0x0B, 0x12}};
  virtual HResult AddFile(const std::wstring& remoteUrl, const std::wstring& localName) = 0;
  virtual HResult Suspend() = 0;
  virtual HResult Resume() = 0;
  virtual HResult Cancel() = 0;
  virtual HResult Complete() = 0;
  virtual HResult GetId(Guid* id) = 0;
  virtual HResult GetProgress(JobProgress* progress) = 0;
  virtual HResult GetState(std::uint32_t* state) = 0;
  // *error receives a reference the caller releases.
  virtual HResult GetError(BackgroundCopyError** error) = 0;
  virtual HResult GetDisplayName(std::wstring* name) = 0;
  virtual HResult SetPriority(std::uint32_t priority) = 0;
  virtual HResult SetNotifyFlags(std::uint32_t flags) = 0;
  // The service holds a reference to `callback` until it is replaced (null clears it).
  virtual HResult SetNotifyInterface(BackgroundCopyCallback* callback) = 0;
  virtual HResult SetMinimumRetryDelay(std::uint32_t seconds) = 0;
};

// IBackgroundCopyCallback: implemented by the client, called by the service.
class BackgroundCopyCallback : public ComUtil::IUnknown {
 public:
  // {97EA99C7-0186-4AD4-8DF9-C5B4E0ED6B22}
  static constexpr Guid kIid{0x97EA99C7, 0x0186, 0x4AD4,
                             {0x8D, 0xF9, 0xC5, 0xB4, 0xE0, 0xED, 0x6B, 0x22}};
  virtual HResult TAMBER_COM_CALL JobTransferred(BackgroundCopyJob* job) = 0;
  virtual HResult TAMBER_COM_CALL JobError(BackgroundCopyJob* job, BackgroundCopyError* error) = 0;
  virtual HResult TAMBER_COM_CALL JobModification(BackgroundCopyJob* job, std::uint32_t reserved) = 0;
};

// IBackgroundCopyManager, the operations used.
class BackgroundCopyManager : public ComUtil::IUnknown {
 public:
  // {5CE34C0D-0DC9-4C1F-897C-DAA1B78CEE7C}
  static constexpr Guid kIid{0x5CE34C0D, 0x0DC9, 0x4C1F,
                             {0x89, 0x7C, 0xDA, 0xA1, 0xB7, 0x8C, 0xEE, 0x7C}};
  virtual HResult CreateJob(const std::wstring& displayName, std::uint32_t type, Guid* id,
                            BackgroundCopyJob** job) = 0;
  // BG_E_NOT_FOUND when the service knows no job of that id.
  virtual HResult GetJob(const Guid& id, BackgroundCopyJob** job) = 0;
};

class Transfers {
 public:
  virtual ~Transfers() = default;
  // CoCreateInstance(CLSID_BackgroundCopyManager, context, IID_IBackgroundCopyManager):
  // *manager receives a reference the caller releases, or null on failure.
  virtual HResult CreateManager(std::uint32_t context, BackgroundCopyManager** manager) = 0;
};

}  // namespace platform
