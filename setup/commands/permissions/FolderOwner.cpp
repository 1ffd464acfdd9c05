// FolderPermissions::VerifyOwner: whether the folder, or the target file in it, is owned by
// the account that runs the program.
#include "logging/Log.h"
#include "platform/Machine.h"
#include "platform/Owner.h"
#include "setup/commands/permissions/FolderPermissions.h"
#include "setup/session/LastErrorReport.h"
#include "setup/session/Paths.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "FolderPermissions";
const wchar_t kCategory[] = L"VerifyOwner";

struct AccountName {
  std::wstring domain;
  std::wstring account;
};

// The names of `sid`; both empty when the system does not know it.
AccountName NamesOf(const platform::Sid& sid) {
  AccountName names;
  platform::security().LookupAccountSid(sid, &names.account, &names.domain);
  return names;
}

// Logs a failed call whose format takes the last error, `path` (when given) and its text.
void LogLastError(const wchar_t* format) {
  const LastErrorReport failure;
  TAMBER_LOG(Error, kCategory, format, failure.code, failure.text);
}
void LogLastError(const wchar_t* format, const std::wstring& path) {
  const LastErrorReport failure;
  TAMBER_LOG(Error, kCategory, format, failure.code, path, failure.text);
}

// The user of the process token; false (logged) when it cannot be had.
bool ProcessUser(platform::Sid* user) {
  platform::Security& security = platform::security();
  platform::ScopedHandle token;
  if (!security.OpenProcessToken(platform::token::Read, token.Receive())) {
    LogLastError(L"Error 0x%08x getting process token: %s");
    return false;
  }
  if (!security.TokenUser(token.Get(), user)) {
    LogLastError(L"Error 0x%08x getting user: %s");
    return false;
  }
  return true;
}

}  // namespace

bool FolderPermissions::VerifyOwner() const {
  const std::wstring checked = target_.empty() ? folder_ : JoinPath(folder_, target_);
  if (target_.empty() ? !IsExistingFolder(checked) : !IsExistingFile(checked)) {
    TAMBER_LOG(Error, kCategory, L"Target '%s' not found.", checked);
    return true;
  }
  platform::Sid owner;
  platform::OwnerReadStep failedStep = platform::OwnerReadStep::Descriptor;
  if (!platform::security().ReadOwner(checked, &owner, &failedStep)) {
    if (failedStep == platform::OwnerReadStep::Descriptor)
      LogLastError(L"Error 0x%08x getting security descriptor for '%s': %s", folder_);
    else
      LogLastError(L"Error 0x%08x getting owner information for the security descriptor for '%s': %s", checked);
    return true;
  }
  const AccountName file = NamesOf(owner);
  TAMBER_LOG(Info, kCategory,
             L"Checking ownership of install directory target '%s' Owner: Domain name: '%s', Account name: '%s'",
             checked, file.domain, file.account);
  platform::Sid user;
  if (!ProcessUser(&user)) return true;
  const AccountName process = NamesOf(user);
  TAMBER_LOG(Info, kCategory, L"Process owner: Domain name: '%s', Account name: '%s'", process.domain,
             process.account);
  TAMBER_LOG(Info, kCategory, L"File owner: Domain name: '%s', Account name: '%s'", file.domain, file.account);
  if (file.domain == process.domain && file.account == process.account) {
    TAMBER_LOG(Info, kCategory, L"File and Process Domain name and Account names match.");
    return true;
  }
  TAMBER_LOG(Error, kCategory, L"File and Process Domain name and/or Account names don't match.");
  return false;
}

}  // namespace setup
