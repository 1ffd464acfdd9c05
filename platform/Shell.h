// The shell: special folders (more operations, such as the "runas" verb, join later).
#pragma once

#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace platform {

namespace csidl {
constexpr int Personal = 0x0005;           // Documents
constexpr int LocalAppData = 0x001C;
constexpr int System = 0x0025;
constexpr int ProgramFiles = 0x0026;
}  // namespace csidl

class Shell {
 public:
  virtual ~Shell() = default;

  // Looks up SHGetFolderPathW at run time (shell32.dll, else shfolder.dll).
  // False when the function cannot be found.
  virtual bool HasFolderPathFunction() = 0;
  // SHGetFolderPathW(csidl, current path); S_OK with the path, or a failure HRESULT.
  // Callers ask HasFolderPathFunction first.
  virtual HResult FolderPath(int csidl, std::wstring* path) = 0;
};

}  // namespace platform
