// The accounts of a FolderPermissions, the check of the folder's DACL and its repair.
#include "setup/commands/permissions/FolderPermissions.h"

#include "logging/Log.h"
#include "platform/Machine.h"
#include "setup/session/LastErrorReport.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "FolderPermissions";

using platform::Ace;
using platform::AceList;
using platform::Sid;
namespace ace = platform::ace;
namespace access = platform::access;

// Full control for the folder itself, and generic full control inherited by files and
// folders at every level below it: the pair a repair writes, which the check accepts.
constexpr std::uint8_t kFolderOnly = 0;
constexpr std::uint8_t kChildrenOnly = ace::ObjectInherit | ace::ContainerInherit | ace::InheritOnly;

bool Propagates(std::uint8_t flags) {
  return (flags & ace::ObjectInherit) && (flags & ace::ContainerInherit) &&
         !(flags & ace::NoPropagateInherit);
}

std::wstring TextOf(const Sid& sid) {
  std::wstring text;
  platform::security().SidToText(sid, &text);
  return text;
}

// The account name of `sid`; its textual form when the system does not know it.
std::wstring AccountNameOf(const Sid& sid) {
  std::wstring account, domain;
  if (platform::security().LookupAccountSid(sid, &account, &domain)) return account;
  return TextOf(sid);
}

// Logs a failed security call: `format` takes the last error, `path` and the error's text.
void LogSecurityError(const wchar_t* category, const wchar_t* format, const std::wstring& path) {
  const LastErrorReport failure;
  TAMBER_LOG(Error, category, format, failure.code, path, failure.text);
}

// "DOMAIN\account" as the two parts the repair's lines name.
void SplitQualifiedName(const std::wstring& qualified, std::wstring* domain, std::wstring* account) {
  const std::size_t slash = qualified.find(L'\\');
  *domain = slash == std::wstring::npos ? std::wstring() : qualified.substr(0, slash);
  *account = slash == std::wstring::npos ? qualified : qualified.substr(slash + 1);
}

// What the user's entries told so far.
struct UserCheck {
  bool good = false;
  bool folderOnly = false;
  bool children = false;
};

// Takes one of the user's entries into `check`; true when the user's check ends with it.
bool InspectAce(const Ace& entry, UserCheck* check) {
  const wchar_t kCategory[] = L"VerifyUserPermissions";
  TAMBER_LOG(Info, kCategory, L"ACE found, Type: 0x%08X\nMasks: 0x%08X\nFlags: 0x%08X",
             entry.type, entry.mask, entry.flags);
  if (entry.type & ace::AccessDenied) {
    TAMBER_LOG(Error, kCategory, L"ACE is Deny type, presumed bad.");
    check->good = false;
    return true;
  }
  if ((entry.mask & access::FileAllAccess) == access::FileAllAccess) {
    if (entry.flags & ace::Inherited) {
      TAMBER_LOG(Info, kCategory, L"ACE is inherited, has FILE_ALL_ACCESS permission, presumed good.");
      check->good = true;
      return true;
    }
    if (Propagates(entry.flags)) {
      TAMBER_LOG(Info, kCategory,
                 L"ACE has FILE_ALL_ACCESS permission, is not inherited but applies to and propagates to objects and containers, presumed good.");
      check->good = true;
      return true;
    }
    if (entry.flags == kFolderOnly) {
      TAMBER_LOG(Info, kCategory, L"ACE has FILE_ALL_ACCESS permission for this folder only.");
      check->folderOnly = true;
    }
    return false;
  }
  if ((entry.mask & access::GenericAll) && Propagates(entry.flags)) {
    TAMBER_LOG(Info, kCategory, L"ACE has GENERIC_ALL permission for child folders.");
    check->children = true;
  }
  return false;
}

}  // namespace

FolderPermissions::FolderPermissions(std::wstring folder, std::wstring target)
    : folder_(std::move(folder)), target_(std::move(target)) {}

bool FolderPermissions::AddUser(const std::wstring& name) {
  User user;
  user.name = name;
  std::wstring domain;
  if (!platform::security().LookupAccountName(name, &user.sid, &domain)) {
    TAMBER_LOG(Error, L"AddUser", L"Failed to load SID account for user '%s'.", name);
    return false;
  }
  user.qualifiedName = name.find(L'\\') != std::wstring::npos ? name : domain + L"\\" + name;
  TAMBER_LOG(Info, L"RunCommandValidateFolderPermissions", L"Successfully loaded SID for account '%s'.",
             user.qualifiedName);
  users_.push_back(std::move(user));
  return true;
}

bool FolderPermissions::ACLSSupported() const {
  platform::Security& security = platform::security();
  std::wstring root;
  if (!security.VolumePathName(folder_, &root)) root = platform::StripToRoot(folder_);
  std::uint32_t flags = 0;
  if (!security.VolumeFlags(root, &flags)) {
    LogSecurityError(L"ACLSSupported", L"Error 0x%08x getting volume information for '%s': %s", folder_);
    return false;
  }
  return (flags & platform::kFilePersistentAcls) != 0;
}

void FolderPermissions::LogAceList(const AceList& aces) {
  if (!logging::IsLogEnabled(logging::Debug)) return;
  for (const Ace& entry : aces)
    TAMBER_LOG(Debug, L"LogAceList", L"ACE found for SID '%s': Type: 0x%08X\nMasks: 0x%08X\nFlags: 0x%08X",
               AccountNameOf(entry.sid), entry.type, entry.mask, entry.flags);
}

bool FolderPermissions::CheckUser(User& user, const AceList& aces) const {
  const wchar_t kCategory[] = L"VerifyUserPermissions";
  TAMBER_LOG(Info, kCategory, L"Checking %d ACE list entries for user '%s', SID '%s'.",
             static_cast<int>(aces.size()), user.qualifiedName, TextOf(user.sid));
  UserCheck check;
  for (const Ace& entry : aces) {
    TAMBER_LOG(Debug, kCategory, L"Inspecting access control list for SID '%s':", TextOf(entry.sid));
    if (entry.sid == user.sid && InspectAce(entry, &check)) break;
  }
  // A folder-only pair counts even after a later deny entry ended the inspection.
  if (check.folderOnly && check.children) {
    TAMBER_LOG(Info, kCategory, L"Permission good for this folder and child folders.");
    check.good = true;
  }
  user.good = check.good;
  TAMBER_LOG(Info, kCategory, L"Permissions for '%s': %s", user.qualifiedName,
             user.good ? L"good" : L"bad");
  return user.good;
}

bool FolderPermissions::VerifyUserPermissions() {
  AceList aces;
  if (!platform::security().ReadDacl(folder_, &aces)) {
    LogSecurityError(L"VerifyUserPermissions",
                     L"Error 0x%08x getting named security information for '%s': %s", folder_);
    return true;
  }
  LogAceList(aces);
  bool result = true;
  for (User& user : users_) result = CheckUser(user, aces) && result;
  return result;
}

bool FolderPermissions::RepairUser(const User& user, AceList* aces) const {
  const wchar_t kCategory[] = L"ResetUserPermissions";
  std::wstring domain, account;
  SplitQualifiedName(user.qualifiedName, &domain, &account);
  TAMBER_LOG(Info, kCategory, L"Removing all ACEs for '%s\\%s' on '%s'.", domain, account, folder_);
  platform::RemoveAces(aces, user.sid);
  TAMBER_LOG(Info, kCategory,
             L"Adding Full Control ACE (0x%08X) for '%s\\%s' on '%s' (doesn't propagate, 0x00000000).",
             access::FileAllAccess, domain, account, folder_);
  platform::AddAllowedAce(aces, user.sid, access::FileAllAccess, kFolderOnly);
  // The closing "0x08x" of this message is text, not a directive: '%' starts none there.
  TAMBER_LOG(Info, kCategory,
             L"Adding Full Control ACE (GENERIC_ALL, 0x%08X) for '%s\\%s' on '%s' (applies only to child folders, 0x08x).",
             access::GenericAll, domain, account, folder_);
  platform::AddAllowedAce(aces, user.sid, access::GenericAll, kChildrenOnly);
  LogAceList(*aces);
  if (!platform::security().WriteProtectedDacl(folder_, *aces)) {
    LogSecurityError(kCategory, L"Error 0x%08x setting named security information for '%s': %s", folder_);
    return false;
  }
  TAMBER_LOG(Info, kCategory, L"New DACL successfully set on '%s'.", folder_);
  return true;
}

bool FolderPermissions::ResetUserPermissions() {
  const wchar_t kCategory[] = L"ResetUserPermissions";
  AceList aces;
  if (!platform::security().ReadDacl(folder_, &aces)) {
    LogSecurityError(kCategory, L"Error 0x%08x getting named security information for '%s': %s", folder_);
    return true;
  }
  TAMBER_LOG(Info, kCategory, L"Checking %d user accounts, replacing ACEs as necessary.",
             static_cast<int>(users_.size()));
  for (const User& user : users_)
    if (!user.good && !RepairUser(user, &aces)) return false;
  return true;
}

}  // namespace setup
