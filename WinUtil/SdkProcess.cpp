#include "WinUtil/SdkProcess.h"

#include <vector>

#include "ComUtil/ExceptionLog.h"
#include "ComUtil/IssueError.h"
#include "platform/Machine.h"
#include "platform/Owner.h"
#include "platform/Processes.h"
#include "platform/SystemInfo.h"

namespace WinUtil {
namespace {

constexpr char kLogSource[] = "SdkProcess";
constexpr std::uint32_t kPlatformWindows9x = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr std::uint32_t kPlatformNt = 2;         // VER_PLATFORM_WIN32_NT
constexpr std::uint32_t kFirstIdBufferBytes = 1024;

// The process ids, in a buffer doubled for as long as the system fills it completely (it
// may then have had more to give).
std::vector<std::uint32_t> ProcessIds() {
  std::vector<std::uint32_t> ids(kFirstIdBufferBytes / sizeof(std::uint32_t));
  for (;;) {
    const auto bufferBytes = static_cast<std::uint32_t>(ids.size() * sizeof(std::uint32_t));
    std::uint32_t returned = 0;
    TAMBER_THROW_LAST_ERROR_IF_FALSE(
        platform::processes().EnumProcessIds(ids.data(), bufferBytes, &returned));
    if (returned < bufferBytes) {
      ids.resize(returned / sizeof(std::uint32_t));
      return ids;
    }
    ids.resize(ids.size() * 2);
  }
}

// The executable's name of a process, or empty when it cannot be opened or read.
std::wstring FirstModuleName(std::uint32_t processId) {
  namespace access = platform::processaccess;
  const platform::ScopedHandle process(
      platform::processes().OpenProcess(access::QueryInformation | access::VmRead, processId));
  std::wstring name;
  if (!process.Valid() || !platform::processes().FirstModuleBaseName(process.Get(), &name))
    return std::wstring();
  return name;
}

void EnumerateWithPsapi(ProcessCallback callback, void* context) {
  TAMBER_THROW_LAST_ERROR_IF_FALSE(
      platform::processes().LoadProcessListFunctions(platform::ProcessListLibrary::Psapi));
  for (std::uint32_t processId : ProcessIds())
    if (!callback(processId, FirstModuleName(processId), context)) return;
}

void EnumerateWithToolhelp(ProcessCallback callback, void* context) {
  platform::Processes& processes = platform::processes();
  TAMBER_THROW_LAST_ERROR_IF_FALSE(
      processes.LoadProcessListFunctions(platform::ProcessListLibrary::Toolhelp));
  const platform::ScopedHandle snapshot(processes.CreateProcessSnapshot());
  TAMBER_THROW_LAST_ERROR_IF_FALSE(snapshot.Valid());
  platform::ProcessEntry entry;
  for (bool more = processes.FirstSnapshotProcess(snapshot.Get(), &entry); more;
       more = processes.NextSnapshotProcess(snapshot.Get(), &entry))
    if (!callback(entry.processId, entry.exeFile, context)) return;
}

bool Enumerate(ProcessCallback callback, void* context) {
  platform::OsVersion version;
  TAMBER_THROW_LAST_ERROR_IF_FALSE(platform::system().Version(&version));
  if (version.platformId == kPlatformNt && version.major == 4) {
    EnumerateWithPsapi(callback, context);
    return true;
  }
  if (version.platformId == kPlatformWindows9x ||
      (version.platformId == kPlatformNt && version.major >= 5)) {
    EnumerateWithToolhelp(callback, context);
    return true;
  }
  return false;
}

}  // namespace

bool EnumerateProcesses(ProcessCallback callback, void* context) {
  return ComUtil::CallAndLogExceptions(kLogSource, __LINE__, false,
                                       [&] { return Enumerate(callback, context); });
}

}  // namespace WinUtil
