// COM on the calling thread over ole32 (loaded at first use): the apartment, object creation and the thread's
// error information.
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include <cstring>
#include <utility>

#include "platform/Com.h"
#include "platform/win32/OleFunctions.h"
#include "platform/win32/ScopedResource.h"
#include "platform/win32/Win32Services.h"

namespace platform::win32 {
namespace {

GUID ToGuid(const Guid& guid) {
  GUID windowsGuid{};
  windowsGuid.Data1 = guid.data1;
  windowsGuid.Data2 = guid.data2;
  windowsGuid.Data3 = guid.data3;
  std::memcpy(windowsGuid.Data4, guid.data4.data(), sizeof windowsGuid.Data4);
  return windowsGuid;
}

Guid FromGuid(const GUID& windowsGuid) {
  Guid guid;
  guid.data1 = windowsGuid.Data1;
  guid.data2 = windowsGuid.Data2;
  guid.data3 = windowsGuid.Data3;
  std::memcpy(guid.data4.data(), windowsGuid.Data4, sizeof windowsGuid.Data4);
  return guid;
}

// The text of a BSTR getter; false when the call fails.
template <class Getter>
bool ReadText(Getter getter, std::wstring* text) {
  BSTR raw = nullptr;
  const HRESULT result = getter(&raw);
  const ScopedBstr owner(raw);
  if (FAILED(result)) return false;
  text->assign(raw != nullptr ? raw : L"", raw != nullptr ? ole::SysStringLen(raw) : 0);
  return true;
}

// Holds one reference to the IErrorInfo that GetErrorInfo handed out.
class ErrorInfoObject final : public ErrorInfo {
 public:
  explicit ErrorInfoObject(ScopedComReference<IErrorInfo> info) : info_(std::move(info)) {}

  bool Description(std::wstring* text) override {
    return ReadText([this](BSTR* out) { return info_.Get()->GetDescription(out); }, text);
  }

  bool Source(std::wstring* text) override {
    return ReadText([this](BSTR* out) { return info_.Get()->GetSource(out); }, text);
  }

  bool InterfaceId(Guid* iid) override {
    GUID windowsGuid{};
    if (FAILED(info_.Get()->GetGUID(&windowsGuid))) return false;
    *iid = FromGuid(windowsGuid);
    return true;
  }

 private:
  ScopedComReference<IErrorInfo> info_;
};

class ComApi final : public Com {
 public:
  HResult Initialize() override { return ole::CoInitialize(); }
  void Uninitialize() override { ole::CoUninitialize(); }

  std::shared_ptr<ErrorInfo> TakeErrorInfo() override {
    IErrorInfo* raw = nullptr;
    const HRESULT result = ole::GetErrorInfo(&raw);
    ScopedComReference<IErrorInfo> info(raw);
    if (result != S_OK || !info.Valid()) return nullptr;
    return std::make_shared<ErrorInfoObject>(std::move(info));
  }

  HResult CreateInstance(const Guid& clsid, std::uint32_t context, const Guid& iid,
                         void** object) override {
    *object = nullptr;
    const GUID classId = ToGuid(clsid);
    const GUID interfaceId = ToGuid(iid);
    return ole::CoCreateInstance(classId, context, interfaceId, object);
  }

  HResult CreateGuid(Guid* guid) override {
    GUID created{};
    const HRESULT result = ole::CoCreateGuid(&created);
    if (SUCCEEDED(result)) *guid = FromGuid(created);
    return result;
  }
};

}  // namespace

Com& Win32Com() {
  static ComApi com;
  return com;
}

}  // namespace platform::win32
