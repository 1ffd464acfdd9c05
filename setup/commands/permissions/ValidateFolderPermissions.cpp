// "validate-folder-permissions": the folder's DACL and owner checked and repaired, with an
// elevated instance to repair what this process cannot.
#include "logging/Log.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "setup/commands/permissions/FolderPermissions.h"
#include "setup/commands/permissions/PermissionCommands.h"
#include "setup/engine/RunStatus.h"
#include "setup/session/CommandLineBuilder.h"
#include "setup/session/Elevation.h"
#include "setup/session/Paths.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Tamber4Setup";
const wchar_t kCategory[] = L"RunCommandValidateFolderPermissions";

// The folder `folder` names: a special-folder token rendered, else the name itself when a
// file or folder of that name exists, else the name below the executable's folder. False
// when the token is not known (logged by the rendering).
bool ResolveFolder(const SetupState& state, std::wstring* folder) {
  bool error = false;
  if (MakeSpecialFolderPath(state, folder, &error)) return true;
  if (error) return false;
  if (platform::files().Attributes(*folder) == platform::file::InvalidAttributes)
    *folder = state.workingFolder + *folder;
  return true;
}

// A repair failed in a normal instance: an elevated instance tries again on the saved
// working copy; its status is the code.
int RetryElevated(SetupState& state, const std::wstring& workingCopy, const wchar_t* warning) {
  TAMBER_LOG(Warning, kCategory, L"%s", warning);
  CommandParameters retry;
  return SpawnElevatedInstance(state, retry, workingCopy);
}

// The code after the DACL could not be repaired.
int PermissionsNotRepaired(SetupState& state, const std::wstring& workingCopy) {
  if (!state.isElevatedInstance)
    return RetryElevated(state, workingCopy,
                         L"Failed to fix folder permissions, spawing an elevated instance to try again.");
  TAMBER_LOG(Error, kCategory, L"Failed to fix folder permissions when elevated.");
  return kRunFail;
}

// The code after takeown.exe failed.
int OwnerNotRepaired(SetupState& state, const std::wstring& folder, const std::wstring& workingCopy) {
  if (!state.isElevatedInstance)
    return RetryElevated(state, workingCopy,
                         L"Failed to take ownership, spawing an elevated instance to try again.");
  TAMBER_LOG(Error, kCategory,
             L"Failed to set ownership to user account. Ownership of '%s' and its children should be changed manually.",
             folder);
  return kRunFail;
}

// The checks and repairs of an existing folder; returns the code.
int ValidateFolder(SetupState& state, const std::wstring& folder, const std::wstring& target,
                   const std::wstring& workingCopy) {
  FolderPermissions permissions(folder, target);
  if (!permissions.ACLSSupported()) {
    TAMBER_LOG(Info, kCategory, L"Volume for '%s' does not support ACLs; ignoring this folder.", folder);
    return kRunSuccess;
  }
  permissions.AddUser(L"Administrators");
  permissions.AddUser(L"SYSTEM");
  // Both checks run whatever the first gave; when both need a retry, the second code counts.
  int code = kRunSuccess;
  if (permissions.VerifyUserPermissions())
    TAMBER_LOG(Info, kCategory, L"Permissions are good.");
  else if (!permissions.ResetUserPermissions())
    code = PermissionsNotRepaired(state, workingCopy);
  if (permissions.VerifyOwner())
    TAMBER_LOG(Info, kCategory, L"Install Directory ownership is good.");
  else if (!TakeOwnership(folder))
    code = OwnerNotRepaired(state, folder, workingCopy);
  return code;
}

}  // namespace

int RunCommandValidateFolderPermissions(SetupState& state, CommandParameters& line,
                                        const std::wstring& workingCopy) {
  int code = kRunSuccess;
  std::wstring folder = line.GetParameter(L"folder");
  if (folder.empty()) {
    TAMBER_LOG(Error, kCategory, L"'folder' parameter must be specified.");
  } else if (!ResolveFolder(state, &folder) || !IsExistingFolder(folder)) {
    TAMBER_LOG(Error, kCategory, L"Direcotry '%s' not found.", folder);
  } else {
    code = ValidateFolder(state, folder, line.GetParameter(L"target"), workingCopy);
  }
  line.SetResult(code == kRunSuccess ? LineResult::Success : LineResult::Failure);
  return code;
}

}  // namespace setup
