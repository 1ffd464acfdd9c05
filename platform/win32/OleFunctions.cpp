#include "platform/win32/OleFunctions.h"

#include "platform/win32/SystemLibrary.h"

namespace platform::win32::ole {
namespace {

SystemLibrary& Ole32() {
  static SystemLibrary library(L"ole32.dll");
  return library;
}

SystemLibrary& OleAut32() {
  static SystemLibrary library(L"oleaut32.dll");
  return library;
}

// The function `name` of `library` with the type of `Function`, or null.
template <class Function>
Function* Find(SystemLibrary& library, const char* name) {
  return library.Find<Function*>(name);
}

// What a call that could not be made returns: the last error of the failed lookup.
HRESULT Unavailable() {
  const DWORD error = ::GetLastError();
  return error != 0 ? HRESULT_FROM_WIN32(error) : E_NOTIMPL;
}

}  // namespace

HRESULT CoInitialize() {
  auto* function = Find<decltype(::CoInitialize)>(Ole32(), "CoInitialize");
  return function != nullptr ? function(nullptr) : Unavailable();
}

void CoUninitialize() {
  if (auto* function = Find<decltype(::CoUninitialize)>(Ole32(), "CoUninitialize")) function();
}

HRESULT CoCreateInstance(REFCLSID classId, DWORD context, REFIID interfaceId, void** object) {
  auto* function = Find<decltype(::CoCreateInstance)>(Ole32(), "CoCreateInstance");
  return function != nullptr ? function(classId, nullptr, context, interfaceId, object)
                             : Unavailable();
}

HRESULT CoCreateGuid(GUID* guid) {
  auto* function = Find<decltype(::CoCreateGuid)>(Ole32(), "CoCreateGuid");
  return function != nullptr ? function(guid) : Unavailable();
}

void CoTaskMemFree(void* memory) {
  if (memory == nullptr) return;
  if (auto* function = Find<decltype(::CoTaskMemFree)>(Ole32(), "CoTaskMemFree")) function(memory);
}

HRESULT GetErrorInfo(IErrorInfo** info) {
  *info = nullptr;
  auto* function = Find<decltype(::GetErrorInfo)>(Ole32(), "GetErrorInfo");
  return function != nullptr ? function(0, info) : Unavailable();
}

UINT SysStringLen(BSTR text) {
  auto* function = Find<decltype(::SysStringLen)>(OleAut32(), "SysStringLen");
  return function != nullptr ? function(text) : 0;
}

void SysFreeString(BSTR text) {
  if (text == nullptr) return;
  if (auto* function = Find<decltype(::SysFreeString)>(OleAut32(), "SysFreeString")) function(text);
}

}  // namespace platform::win32::ole
