// The few functions of ole32 and oleaut32 the program calls, looked up in those DLLs loaded
// from System32 at first use. Most runs never need COM, and loading the two (with the DLLs
// they bring) at start-up cost every run a fifth of its start.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

namespace platform::win32::ole {

// Each as the function of that name; when the DLL or the function cannot be had, the ones
// that return an HRESULT return the last error as one, the others do nothing (or return 0).
HRESULT CoInitialize();
void CoUninitialize();
HRESULT CoCreateInstance(REFCLSID classId, DWORD context, REFIID interfaceId, void** object);
HRESULT CoCreateGuid(GUID* guid);
void CoTaskMemFree(void* memory);
HRESULT GetErrorInfo(IErrorInfo** info);
UINT SysStringLen(BSTR text);
void SysFreeString(BSTR text);

}  // namespace platform::win32::ole
