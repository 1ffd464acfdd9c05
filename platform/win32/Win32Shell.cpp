// Shell folders through SHGetFolderPathW, looked up at run time: shell32.dll has it from
// Windows 2000 on, and shfolder.dll supplies it where shell32.dll does not.
#include <windows.h>

#include <shlobj.h>

#include "platform/Shell.h"
#include "platform/win32/ScopedResource.h"
#include "platform/win32/Win32Services.h"

namespace platform::win32 {
namespace {

using GetFolderPathFunction = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);

class ShellApi final : public Shell {
 public:
  bool HasFolderPathFunction() override { return LookUpFolderPath() != nullptr; }

  HResult FolderPath(int csidl, std::wstring* path) override {
    path->clear();
    const GetFolderPathFunction getFolderPath = LookUpFolderPath();
    if (getFolderPath == nullptr) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    wchar_t buffer[MAX_PATH] = {};
    const HRESULT result = getFolderPath(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer);
    if (SUCCEEDED(result)) path->assign(buffer);
    return result;
  }

 private:
  // The function, found once and kept with the library that holds it; null when neither
  // library has it.
  GetFolderPathFunction LookUpFolderPath() {
    if (!lookedUp_) {
      lookedUp_ = true;
      getFolderPath_ = LookUpIn(L"shell32.dll");
      if (getFolderPath_ == nullptr) getFolderPath_ = LookUpIn(L"shfolder.dll");
    }
    return getFolderPath_;
  }

  GetFolderPathFunction LookUpIn(const wchar_t* libraryName) {
    ScopedLibrary library(::LoadLibraryW(libraryName));
    if (!library.Valid()) return nullptr;
    auto function = reinterpret_cast<GetFolderPathFunction>(
        reinterpret_cast<void*>(::GetProcAddress(library.Get(), "SHGetFolderPathW")));
    if (function != nullptr) library_ = std::move(library);
    return function;
  }

  ScopedLibrary library_;
  bool lookedUp_ = false;
  GetFolderPathFunction getFolderPath_ = nullptr;
};

}  // namespace

Shell& Win32Shell() {
  static ShellApi shell;
  return shell;
}

}  // namespace platform::win32
