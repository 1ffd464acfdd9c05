// Background transfers over the real BITS COM objects: each object of ours holds one
// reference to its BITS object and passes the calls through; the callback of the client is
// handed to BITS inside a small COM object that forwards the notifications to it.
#include <windows.h>

#include <bits.h>
#include <objbase.h>

#include <atomic>
#include <cstring>

#include "ComUtil/ComPtr.h"
#include "ComUtil/HeapObject.h"
#include "platform/win32/OleFunctions.h"
#include "platform/Transfers.h"
#include "platform/win32/ScopedResource.h"
#include "platform/win32/Win32Services.h"

namespace platform::win32 {
namespace {

using ComUtil::NewReference;

GUID ToWindows(const Guid& guid) {
  GUID out{};
  out.Data1 = guid.data1;
  out.Data2 = guid.data2;
  out.Data3 = guid.data3;
  std::memcpy(out.Data4, guid.data4.data(), sizeof out.Data4);
  return out;
}

Guid FromWindows(const GUID& guid) {
  Guid out;
  out.data1 = guid.Data1;
  out.data2 = guid.Data2;
  out.data3 = guid.Data3;
  std::memcpy(out.data4.data(), guid.Data4, sizeof guid.Data4);
  return out;
}

// A text the service allocated with CoTaskMemAlloc, copied and freed.
HResult TakeText(HRESULT result, LPWSTR text, std::wstring* out) {
  if (SUCCEEDED(result) && text != nullptr) out->assign(text);
  ole::CoTaskMemFree(text);
  return result;
}

class ErrorObject : public BackgroundCopyError {
 public:
  explicit ErrorObject(::IBackgroundCopyError* error) : error_(error) { error->AddRef(); }
  HResult GetError(std::uint32_t* context, HResult* code) override {
    BG_ERROR_CONTEXT raw = BG_ERROR_CONTEXT_NONE;
    HRESULT value = S_OK;
    const HRESULT result = error_.Get()->GetError(&raw, &value);
    *context = static_cast<std::uint32_t>(raw);
    *code = value;
    return result;
  }
  HResult GetErrorDescription(LangId language, std::wstring* description) override {
    LPWSTR text = nullptr;
    const HRESULT result = error_.Get()->GetErrorDescription(language, &text);
    return TakeText(result, text, description);
  }

 protected:
  ~ErrorObject() = default;

 private:
  ScopedComReference<::IBackgroundCopyError> error_;
};

class CallbackBridge;

class JobObject : public BackgroundCopyJob {
 public:
  explicit JobObject(::IBackgroundCopyJob* job) : job_(job) { job->AddRef(); }

  HResult AddFile(const std::wstring& remote, const std::wstring& local) override {
    return Job()->AddFile(remote.c_str(), local.c_str());
  }
  HResult Suspend() override { return Job()->Suspend(); }
  HResult Resume() override { return Job()->Resume(); }
  HResult Cancel() override { return Job()->Cancel(); }
  HResult Complete() override { return Job()->Complete(); }
  HResult GetId(Guid* id) override {
    GUID raw{};
    const HRESULT result = Job()->GetId(&raw);
    *id = FromWindows(raw);
    return result;
  }
  HResult GetProgress(JobProgress* progress) override {
    BG_JOB_PROGRESS raw{};
    const HRESULT result = Job()->GetProgress(&raw);
    progress->bytesTotal = raw.BytesTotal;
    progress->bytesTransferred = raw.BytesTransferred;
    progress->filesTotal = raw.FilesTotal;
    progress->filesTransferred = raw.FilesTransferred;
    return result;
  }
  HResult GetState(std::uint32_t* state) override {
    BG_JOB_STATE raw = BG_JOB_STATE_QUEUED;
    const HRESULT result = Job()->GetState(&raw);
    *state = static_cast<std::uint32_t>(raw);
    return result;
  }
  HResult GetError(BackgroundCopyError** error) override {
    *error = nullptr;
    ::IBackgroundCopyError* raw = nullptr;
    const HRESULT result = Job()->GetError(&raw);
    if (raw == nullptr) return FAILED(result) ? result : E_FAIL;
    ScopedComReference<::IBackgroundCopyError> owner(raw);
    *error = NewReference<ErrorObject, BackgroundCopyError>(raw);
    return result;
  }
  HResult GetDisplayName(std::wstring* name) override {
    LPWSTR text = nullptr;
    const HRESULT result = Job()->GetDisplayName(&text);
    return TakeText(result, text, name);
  }
  HResult SetPriority(std::uint32_t priority) override {
    return Job()->SetPriority(static_cast<BG_JOB_PRIORITY>(priority));
  }
  HResult SetNotifyFlags(std::uint32_t flags) override { return Job()->SetNotifyFlags(flags); }
  HResult SetNotifyInterface(BackgroundCopyCallback* callback) override;
  HResult SetMinimumRetryDelay(std::uint32_t seconds) override {
    return Job()->SetMinimumRetryDelay(seconds);
  }

 protected:
  ~JobObject() = default;

 private:
  ::IBackgroundCopyJob* Job() { return job_.Get(); }
  ScopedComReference<::IBackgroundCopyJob> job_;
};

// The COM object BITS calls: each notification wraps the job (and error) BITS passes in
// objects of ours and hands them to the client's callback.
class CallbackBridge final : public ::IBackgroundCopyCallback {
 public:
  explicit CallbackBridge(BackgroundCopyCallback* callback) : callback_(callback) {
    callback_->AddRef();
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IBackgroundCopyCallback)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<::IBackgroundCopyCallback*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG remaining = --references_;
    if (remaining == 0) delete this;
    return remaining;
  }

  HRESULT STDMETHODCALLTYPE JobTransferred(::IBackgroundCopyJob* job) override {
    ComUtil::ComPtr<BackgroundCopyJob> wrapped(NewReference<JobObject, BackgroundCopyJob>(job));
    return callback_.get()->JobTransferred(wrapped.get());
  }
  HRESULT STDMETHODCALLTYPE JobError(::IBackgroundCopyJob* job,
                                     ::IBackgroundCopyError* error) override {
    ComUtil::ComPtr<BackgroundCopyJob> wrapped(NewReference<JobObject, BackgroundCopyJob>(job));
    ComUtil::ComPtr<BackgroundCopyError> wrappedError;
    if (error != nullptr)
      wrappedError = ComUtil::ComPtr<BackgroundCopyError>(
          NewReference<ErrorObject, BackgroundCopyError>(error));
    return callback_.get()->JobError(wrapped.get(), wrappedError.get());
  }
  HRESULT STDMETHODCALLTYPE JobModification(::IBackgroundCopyJob* job, DWORD reserved) override {
    ComUtil::ComPtr<BackgroundCopyJob> wrapped(NewReference<JobObject, BackgroundCopyJob>(job));
    return callback_.get()->JobModification(wrapped.get(), reserved);
  }

 private:
  ~CallbackBridge() = default;
  ComUtil::ComPtr<BackgroundCopyCallback> callback_;
  std::atomic<ULONG> references_{1};
};

HResult JobObject::SetNotifyInterface(BackgroundCopyCallback* callback) {
  if (callback == nullptr) return Job()->SetNotifyInterface(nullptr);
  CallbackBridge* bridge = new CallbackBridge(callback);
  const HRESULT result = Job()->SetNotifyInterface(bridge);
  bridge->Release();
  return result;
}

class ManagerObject : public BackgroundCopyManager {
 public:
  explicit ManagerObject(::IBackgroundCopyManager* manager) : manager_(manager) {}
  HResult CreateJob(const std::wstring& displayName, std::uint32_t type, Guid* id,
                    BackgroundCopyJob** job) override {
    *job = nullptr;
    GUID raw{};
    ::IBackgroundCopyJob* created = nullptr;
    const HRESULT result = manager_.Get()->CreateJob(displayName.c_str(),
                                                     static_cast<BG_JOB_TYPE>(type), &raw, &created);
    *id = FromWindows(raw);
    if (created == nullptr) return FAILED(result) ? result : E_FAIL;
    ScopedComReference<::IBackgroundCopyJob> owner(created);
    *job = NewReference<JobObject, BackgroundCopyJob>(created);
    return result;
  }
  HResult GetJob(const Guid& id, BackgroundCopyJob** job) override {
    *job = nullptr;
    ::IBackgroundCopyJob* found = nullptr;
    const HRESULT result = manager_.Get()->GetJob(ToWindows(id), &found);
    if (found == nullptr) return FAILED(result) ? result : E_FAIL;
    ScopedComReference<::IBackgroundCopyJob> owner(found);
    *job = NewReference<JobObject, BackgroundCopyJob>(found);
    return result;
  }

 protected:
  ~ManagerObject() = default;

 private:
  ScopedComReference<::IBackgroundCopyManager> manager_;  // takes the created reference
};

class TransfersApi final : public Transfers {
 public:
  HResult CreateManager(std::uint32_t context, BackgroundCopyManager** manager) override {
    *manager = nullptr;
    ::IBackgroundCopyManager* created = nullptr;
    const HRESULT result = ole::CoCreateInstance(CLSID_BackgroundCopyManager, context,
                                                 IID_IBackgroundCopyManager,
                                                 reinterpret_cast<void**>(&created));
    if (FAILED(result) || created == nullptr) return FAILED(result) ? result : E_FAIL;
    *manager = NewReference<ManagerObject, BackgroundCopyManager>(created);
    return result;
  }
};

}  // namespace

Transfers& Win32Transfers() {
  static TransfersApi transfers;
  return transfers;
}

}  // namespace platform::win32
