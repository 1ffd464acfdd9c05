// COM: the apartment, object creation, and the thread's error information.
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>
#include <shlobj.h>

#include <cstring>

#include "Probe.h"
#include "platform/Com.h"
#include "platform/Machine.h"

namespace probe {
namespace {

platform::Guid FromGuid(const GUID& windowsGuid) {
  platform::Guid guid;
  guid.data1 = windowsGuid.Data1;
  guid.data2 = windowsGuid.Data2;
  guid.data3 = windowsGuid.Data3;
  std::memcpy(guid.data4.data(), windowsGuid.Data4, 8);
  return guid;
}

// Hands the thread an error information object, as a failing COM call would.
bool SetThreadErrorInfo(const wchar_t* description, const wchar_t* source, const GUID& iid) {
  ICreateErrorInfo* creator = nullptr;
  if (FAILED(::CreateErrorInfo(&creator))) return false;
  creator->SetDescription(const_cast<wchar_t*>(description));
  creator->SetSource(const_cast<wchar_t*>(source));
  creator->SetGUID(iid);
  IErrorInfo* info = nullptr;
  const bool made =
      SUCCEEDED(creator->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)));
  creator->Release();
  if (!made) return false;
  const bool set = SUCCEEDED(::SetErrorInfo(0, info));
  info->Release();
  return set;
}

void ProbeErrorInfo() {
  auto& com = platform::com();
  Check("com: TakeErrorInfo with none set is null", com.TakeErrorInfo() == nullptr);
  if (!Check("com: an error information object is set",
             SetThreadErrorInfo(L"Probe failure", L"Tamber4.Probe", IID_IShellLinkW)))
    return;
  const auto info = com.TakeErrorInfo();
  if (!Check("com: TakeErrorInfo returns it", info != nullptr)) return;
  std::wstring description, source;
  platform::Guid iid;
  const bool described = info->Description(&description);
  const bool sourced = info->Source(&source);
  const bool identified = info->InterfaceId(&iid);
  Check("com: ErrorInfo Description", described && description == L"Probe failure", description);
  Check("com: ErrorInfo Source", sourced && source == L"Tamber4.Probe", source);
  Check("com: ErrorInfo InterfaceId", identified && iid == FromGuid(IID_IShellLinkW),
        platform::GuidToString(iid));
  Check("com: TakeErrorInfo cleared it", com.TakeErrorInfo() == nullptr);
}

void ProbeCreateInstance() {
  auto& com = platform::com();
  void* object = nullptr;
  platform::HResult result = com.CreateInstance(FromGuid(CLSID_ShellLink), CLSCTX_INPROC_SERVER,
                                                FromGuid(IID_IShellLinkW), &object);
  Check("com: CreateInstance of the shell link", result == platform::hr::Ok && object != nullptr,
        Hex(static_cast<std::uint32_t>(result)));
  if (object != nullptr) static_cast<IUnknown*>(object)->Release();
  const platform::Guid unknownClass{
      0x5EC0DE00, 0x1234, 0x5678, {0x9A, 0xBC, 0xDE, 0xF0, 0x12, 0x34, 0x56, 0x78}};
  object = &object;
  result = com.CreateInstance(unknownClass, CLSCTX_INPROC_SERVER, FromGuid(IID_IUnknown), &object);
  Check("com: CreateInstance of an unregistered class fails with a null object",
        result == static_cast<platform::HResult>(REGDB_E_CLASSNOTREG) && object == nullptr,
        Hex(static_cast<std::uint32_t>(result)));
}

}  // namespace

void ProbeCom() {
  auto& com = platform::com();
  if (!Check("com: Initialize", platform::hr::Succeeded(com.Initialize()))) return;
  ProbeErrorInfo();
  ProbeCreateInstance();
  com.Uninitialize();
}

}  // namespace probe
