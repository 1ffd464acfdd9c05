// The shell of the simulated machine: the special folders SHGetFolderPathW gives, with
// switches for a system where the function is missing or a folder cannot be had.
#pragma once

#include <map>
#include <string>

#include "platform/Shell.h"
#include "platform/sim/SimFiles.h"

namespace platform::sim {

class SimShell : public Shell {
 public:
  explicit SimShell(SimFiles& files);

  bool HasFolderPathFunction() override { return hasFolderPathFunction_; }
  // S_OK with the folder's path (no trailing backslash); E_INVALIDARG for a folder the
  // machine does not know; E_FAIL when the folder does not exist on the disk (as for a
  // user whose profile lacks it); an injected failure wins over all.
  HResult FolderPath(int csidl, std::wstring* path) override;

  // --- Set-up.
  // Sets the path of a special folder (without trailing backslash) and creates it.
  void SetFolder(int csidl, const std::wstring& path);
  // Forgets a folder: FolderPath then fails with E_INVALIDARG.
  void RemoveFolder(int csidl) { folders_.erase(csidl); }
  const std::map<int, std::wstring>& Folders() const { return folders_; }
  void SetFolderPathFunctionPresent(bool present) { hasFolderPathFunction_ = present; }
  // FolderPath(csidl) fails with `result` (or succeeds normally again with S_OK).
  void SetFolderPathFailure(int csidl, HResult result);

 private:
  SimFiles& files_;
  bool hasFolderPathFunction_ = true;
  std::map<int, std::wstring> folders_;
  std::map<int, HResult> failures_;
};

}  // namespace platform::sim
