// Shell folders through SHGetFolderPathW, looked up at run time: shell32.dll has it from
// Windows 2000 on, and shfolder.dll supplies it where shell32.dll does not.
#include <windows.h>

#include <shlobj.h>

#include "platform/Shell.h"
#include "platform/win32/SystemLibrary.h"
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
  // The function, found once; null when neither library has it.
  GetFolderPathFunction LookUpFolderPath() {
    if (!lookedUp_) {
      lookedUp_ = true;
      getFolderPath_ = shell32_.Find<GetFolderPathFunction>("SHGetFolderPathW");
      if (getFolderPath_ == nullptr)
        getFolderPath_ = shfolder_.Find<GetFolderPathFunction>("SHGetFolderPathW");
    }
    return getFolderPath_;
  }

  SystemLibrary shell32_{L"shell32.dll"};
  SystemLibrary shfolder_{L"shfolder.dll"};
  bool lookedUp_ = false;
  GetFolderPathFunction getFolderPath_ = nullptr;
};

}  // namespace

Shell& Win32Shell() {
  static ShellApi shell;
  return shell;
}

}  // namespace platform::win32
