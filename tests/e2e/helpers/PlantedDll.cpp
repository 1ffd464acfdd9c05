// PlantedDll: a DLL that a test copies under system DLL names into a program's folder. When
// it is loaded it leaves "<its own full path>.loaded" beside itself, and it lets the load
// succeed: a program that finds it exports nothing carries on as with a missing function,
// so one run shows every planted name that was loaded, not just the first.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(instance, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return TRUE;
  const std::wstring marker = std::wstring(path, length) + L".loaded";
  HANDLE file = ::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
  return TRUE;
}
