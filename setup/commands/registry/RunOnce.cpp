// The current user's RunOnce entries: a program, or this program with its working copy,
// started once at the next logon.
#include "ComUtil/IssueError.h"
#include "logging/Log.h"
#include "platform/CurrentProcess.h"
#include "platform/Machine.h"
#include "platform/Registry.h"
#include "platform/RegistryKey.h"
#include "setup/commands/registry/RegistryCommands.h"
#include "setup/commands/registry/RegistryValues.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "RunOnce";
const wchar_t kRunOnceKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr std::uint32_t kReadWrite = platform::reg::Read | platform::reg::Write;

// The command line that resumes this program with its working copy. An executable path
// that cannot be had is fatal: an entry without it would start nothing.
std::wstring SelfCommandLine(const std::wstring& workingCopy) {
  std::wstring executable;
  TAMBER_THROW_LAST_ERROR_IF_FALSE(platform::process().ModuleFileName(0, platform::kMaxPath, &executable));
  return L"\"" + executable + L"\" \"" + workingCopy + L"\"";
}

}  // namespace

const wchar_t kSelfRunOnceValueName[] = L"Tamber4Setup";

void WriteRunOnceRegistryValue(const std::wstring& commandLine, const std::wstring& valueName,
                               const std::wstring& workingCopy) {
  const bool self = commandLine.empty();
  const std::wstring name = self ? kSelfRunOnceValueName : valueName;
  const std::wstring data = self ? SelfCommandLine(workingCopy) : commandLine;
  TAMBER_LOG(Info, L"WriteRunOnceRegistryValue", L"Setting registry value '%s' to '%s'.", name,
             data);
  const platform::ScopedRegKey key = CreateUserKeyForWriting(kRunOnceKey);
  ThrowIfRegistryFailed(platform::SetStringValue(key.get(), name, data));
}

void DeleteRegistryRunOnce(const std::wstring& valueName) {
  platform::ScopedRegKey key;
  if (key.Create(platform::kHkeyCurrentUser, kRunOnceKey, kReadWrite) != platform::err::Success)
    return;
  if (platform::registry().DeleteValue(key.get(), valueName) == platform::err::Success)
    TAMBER_LOG(Info, L"DeleteRegistryRunOnce", L"Deleted registry value '%s'.", valueName);
  else
    TAMBER_LOG(Debug, L"DeleteRegistryRunOnce", L"Registry value '%s' not found.", valueName);
}

}  // namespace setup
