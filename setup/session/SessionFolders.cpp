#include "setup/session/SessionFolders.h"

#include "logging/Log.h"
#include "platform/CurrentProcess.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Shell.h"
#include "setup/session/LastErrorReport.h"
#include "setup/session/Paths.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Tamber4Setup";

}  // namespace

void GetWorkingFolder(SetupState& state) {
  std::wstring exePath;
  if (!platform::process().ModuleFileName(0, platform::kMaxPath, &exePath)) {
    const LastErrorReport failure;
    TAMBER_LOG(Error, L"GetWorkingFolder", L"GetModuleFileName failed. Return value is 0x%X.",
               failure.code);
    return;
  }
  std::wstring fullPath;
  if (!platform::files().FullPath(exePath, &fullPath)) fullPath = exePath;
  const std::size_t slash = fullPath.rfind(L'\\');
  state.workingFolder = (slash == std::wstring::npos ? std::wstring() : fullPath.substr(0, slash)) + L"\\";
  TAMBER_LOG(Info, L"GetWorkingFolder", L"Working folder is '%s'.", state.workingFolder);
}

void SetLoggingPath(SetupState& state) {
  if (logging::LogSeverityMask.load() != 0) {
    state.loggingFolder = logging::LogFolderPath();
    TAMBER_LOG(Info, L"SetLoggingPath", L"Logging is enabled, logging folder file path set to '%s'",
               state.loggingFolder);
    return;
  }
  std::wstring documents;
  GetSpecialFolder(platform::csidl::Personal, &documents);
  state.loggingFolder = JoinPath(documents, L"Corvane Log Files\\");
  TAMBER_LOG(Info, L"SetLoggingPath", L"Logging is not enabled, logging folder file path set to '%s'",
             state.loggingFolder);
}

}  // namespace setup
