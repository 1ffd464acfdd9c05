#include "setup/session/Paths.h"

#include "logging/Log.h"
#include "platform/CurrentProcess.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Shell.h"
#include "platform/SystemInfo.h"
#include "setup/session/LastErrorReport.h"
#include "setup/session/Messages.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Paths";

bool IsDirectory(const std::wstring& path) {
  const std::uint32_t attributes = platform::files().Attributes(path);
  return attributes != platform::file::InvalidAttributes &&
         (attributes & platform::file::AttributeDirectory) != 0;
}

std::wstring FullPathOrSelf(const std::wstring& path) {
  std::wstring full;
  return platform::files().FullPath(path, &full) ? full : path;
}

}  // namespace

bool GetSpecialFolder(int csidl, std::wstring* path) {
  platform::Shell& shell = platform::shell();
  if (shell.HasFolderPathFunction()) {
    const platform::HResult hr = shell.FolderPath(csidl, path);
    if (hr == platform::hr::Ok) return true;
    TAMBER_LOG(Error, L"GetSpecialFolder",
               L"SHGetFolderPath returned 0x%08X. Did user RunAs... on XP with \"Protect my "
               L"computer and data from unauthorized program activity\" checked?",
               hr);
  }
  TAMBER_LOG(Error, L"GetSpecialFolder",
             L"Special folder number %d could not be determined, using ::GetTempPath.", csidl);
  *path = platform::files().TempPath();
  return false;
}

bool CreateDirectoryTree(const std::wstring& folder) {
  if (folder.empty() || folder == L"\\") {
    TAMBER_LOG(Error, L"CreateDirectoryTree", L"Drive not found.");
    return false;
  }
  if (IsDirectory(folder)) return true;
  const std::size_t slash = folder.rfind(L'\\');
  const std::wstring parent = slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
  if (!CreateDirectoryTree(parent)) return false;
  if (platform::files().MakeDirectory(folder)) return true;
  const LastErrorReport failure;
  TAMBER_LOG(Error, L"CreateDirectoryTree", L"Failed to create folder '%s'. GetLastError: 0x%X, '%s'",
             folder, failure.code, failure.text);
  return false;
}

std::wstring GetTargetFilePath(SetupState& state, const std::wstring& source) {
  std::wstring folder;
  GetSpecialFolder(platform::csidl::LocalAppData, &folder);
  folder = JoinPath(folder, L"Tamber4");
  CreateDirectoryTree(folder);
  folder = JoinPath(folder, L"Install");
  CreateDirectoryTree(folder);
  state.targetFolder = folder + L"\\";
  const std::wstring target = state.targetFolder + FileNamePart(source);
  if (target.size() >= kMaxPath) {
    TAMBER_LOG(Error, L"GetTargetFilePath",
               L"Tamber4Setup target file path '%s' is longer than %d characters.", target,
               kMaxPath - 1);
    return std::wstring();
  }
  TAMBER_LOG(Info, L"GetTargetFilePath", L"Tamber4Setup target file path set to '%s'", target);
  return target;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty() || folder.back() == L'\\') return folder + name;
  return folder + L"\\" + name;
}

std::wstring FileNamePart(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool IsSameFile(const std::wstring& a, const std::wstring& b) {
  platform::SystemInfo& system = platform::system();
  return system.UpperCase(FullPathOrSelf(a)) == system.UpperCase(FullPathOrSelf(b));
}

bool IsExistingFile(const std::wstring& path) {
  const std::uint32_t attributes = platform::files().Attributes(path);
  return attributes != platform::file::InvalidAttributes &&
         (attributes & platform::file::AttributeDirectory) == 0;
}

bool IsExistingFolder(const std::wstring& path) {
  const std::uint32_t attributes = platform::files().Attributes(path);
  return attributes != platform::file::InvalidAttributes &&
         (attributes & platform::file::AttributeDirectory) != 0;
}

}  // namespace setup
