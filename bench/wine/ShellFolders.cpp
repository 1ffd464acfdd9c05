// A GUI program that does only what every run of the bootstrapper must do before it reads a
// script: ask Shell32, loaded from System32, for the Documents folder (start-up's check)
// and the local application data folder (the working copy's folder). The start-up
// benchmark's floor under Wine, where loading Shell32 loads most of the system DLLs.
#include <windows.h>

#include <cwchar>
#include <initializer_list>

namespace {

using FolderPathFunction = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);

constexpr int kDocuments = 5;        // CSIDL_PERSONAL
constexpr int kLocalAppData = 28;    // CSIDL_LOCAL_APPDATA

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH - 16);
  if (length == 0 || length >= MAX_PATH - 16) return 1;
  std::wcscat(folder, L"\\shell32.dll");
  HMODULE shell = ::LoadLibraryExW(folder, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (shell == nullptr) return 1;
  const auto folderPath = reinterpret_cast<FolderPathFunction>(
      reinterpret_cast<void*>(::GetProcAddress(shell, "SHGetFolderPathW")));
  if (folderPath == nullptr) return 1;
  for (int csidl : {kDocuments, kLocalAppData})
    if (folderPath(nullptr, csidl, nullptr, 0, folder) != S_OK) return 1;
  return 0;
}
