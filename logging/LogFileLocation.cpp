#include "logging/LogFileLocation.h"

#include "platform/CurrentProcess.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Shell.h"
#include "platform/SystemInfo.h"

namespace logging {
namespace {

constexpr wchar_t kLogFolderName[] = L"Tamber Log Files";

// A module's file name made absolute and upper-cased.
bool ReadModulePath(platform::ModuleHandle module, std::wstring* path) {
  std::wstring name;
  if (!platform::process().ModuleFileName(module, kMaxLogPath, &name)) return false;
  std::wstring full;
  if (!platform::files().FullPath(name, &full) || full.size() >= kMaxLogPath) return false;
  *path = platform::system().UpperCase(full);
  return true;
}

bool HasThreeLetterExtension(const std::wstring& path) {
  return path.size() >= 5 && path[path.size() - 4] == L'.';
}

// The "Tamber Log Files" folder with a trailing backslash, in Documents when asked for and
// the shell can give it, else in the temporary folder.
std::wstring LogFolder(LogFolderChoice choice) {
  std::wstring documents;
  if (choice == LogFolderChoice::Documents && platform::shell().HasFolderPathFunction() &&
      platform::hr::Succeeded(platform::shell().FolderPath(platform::csidl::Personal, &documents)))
    return documents + L"\\" + kLogFolderName + L"\\";
  return platform::files().TempPath() + kLogFolderName + L"\\";
}

}  // namespace

bool ReadProcessIdentity(platform::ModuleHandle module, ProcessIdentity* identity) {
  if (!ReadModulePath(0, &identity->processPath) ||
      !HasThreeLetterExtension(identity->processPath))
    return false;
  identity->processName = FileNamePart(identity->processPath);
  if (!ReadModulePath(module, &identity->modulePath) || identity->modulePath.size() < 5)
    return false;
  identity->moduleName = FileNamePart(identity->modulePath);
  return true;
}

std::wstring DefaultLogFileName(const std::wstring& processName) {
  if (processName.size() < 4) return processName + L".log";
  return processName.substr(0, processName.size() - 4) + L".log";
}

bool ChooseLogFilePath(const LogSettings& settings, LogFolderChoice folder,
                       const ProcessIdentity& identity, std::wstring* path) {
  if (settings.logFilePath) {
    std::wstring full;
    if (!platform::files().FullPath(*settings.logFilePath, &full)) return false;
    *path = platform::system().UpperCase(full);
  } else if (settings.logFileNearExe) {
    const std::wstring& exe = identity.processPath;
    *path = exe.substr(0, exe.size() - 4) + L".log";
  } else {
    std::wstring folderPath = LogFolder(folder);
    platform::files().MakeDirectory(folderPath.substr(0, folderPath.size() - 1));
    *path = folderPath + DefaultLogFileName(identity.processName);
  }
  return !FileNamePart(*path).empty() && path->size() < kMaxLogPath;
}

std::wstring FileNamePart(const std::wstring& path) {
  std::size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace logging
