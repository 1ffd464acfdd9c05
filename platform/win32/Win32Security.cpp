// Tokens, SIDs, access lists, descriptors and the access check over the Windows API.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <cstring>

#include "platform/Security.h"
#include "platform/win32/ScopedResource.h"
#include "platform/win32/Win32Services.h"

namespace platform::win32 {
namespace {

static_assert(sizeof(SECURITY_DESCRIPTOR) <= sizeof(SecurityDescriptor::storage),
              "SecurityDescriptor has room for an absolute SECURITY_DESCRIPTOR");
static_assert(alignof(SECURITY_DESCRIPTOR) <= alignof(SecurityDescriptor),
              "SecurityDescriptor is aligned as SECURITY_DESCRIPTOR");

HANDLE ToHandle(Handle token) { return reinterpret_cast<HANDLE>(token); }

PSECURITY_DESCRIPTOR ToDescriptor(SecurityDescriptor* descriptor) {
  return descriptor->storage.data();
}
PSECURITY_DESCRIPTOR ToDescriptor(const SecurityDescriptor& descriptor) {
  return const_cast<std::uint8_t*>(descriptor.storage.data());
}
PSID ToSid(const Sid* sid) { return sid == nullptr ? nullptr : const_cast<std::uint8_t*>(sid->data()); }
PACL ToAcl(const Acl* acl) {
  return acl == nullptr ? nullptr : reinterpret_cast<PACL>(const_cast<std::uint8_t*>(acl->data()));
}

Sid SidBytes(PSID sid) {
  if (sid == nullptr || !::IsValidSid(sid)) return Sid();
  const auto* bytes = static_cast<const std::uint8_t*>(sid);
  return Sid(bytes, bytes + ::GetLengthSid(sid));
}

// The SID of the ACE types that carry it right after the access mask; empty for the others.
Sid AceSid(const ACE_HEADER* header) {
  switch (header->AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_DENIED_ACE_TYPE:
    case SYSTEM_AUDIT_ACE_TYPE:
    case SYSTEM_ALARM_ACE_TYPE:
      return SidBytes(const_cast<DWORD*>(&reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header)->SidStart));
    default:
      return Sid();
  }
}

AceList AcesOf(const ACL* acl) {
  AceList aces;
  if (acl == nullptr) return aces;
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* entry = nullptr;
    if (!::GetAce(const_cast<ACL*>(acl), i, &entry)) continue;
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    const auto* simple = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
    aces.push_back({header->AceType, header->AceFlags, simple->Mask, AceSid(header)});
  }
  return aces;
}

// Appends one entry; the entries of types this layer does not write are left out.
bool AppendAce(ACL* acl, const Ace& entry) {
  PSID sid = const_cast<std::uint8_t*>(entry.sid.data());
  if (entry.type == ace::AccessDenied)
    return ::AddAccessDeniedAceEx(acl, ACL_REVISION, entry.flags, entry.mask, sid) != FALSE;
  if (entry.type == ace::AccessAllowed)
    return ::AddAccessAllowedAceEx(acl, ACL_REVISION, entry.flags, entry.mask, sid) != FALSE;
  return true;
}

// An ACL of the writable entries of `aces`, in canonical order.
bool BuildAcl(const AceList& aces, std::vector<std::uint8_t>* bytes) {
  const AceList ordered = CanonicalOrder(aces);
  std::size_t size = sizeof(ACL);
  for (const Ace& entry : ordered) size += sizeof(ACCESS_ALLOWED_ACE) + entry.sid.size();
  size = (size + 3) & ~std::size_t{3};
  bytes->assign(size, 0);
  ACL* acl = reinterpret_cast<ACL*>(bytes->data());
  if (!::InitializeAcl(acl, static_cast<DWORD>(size), ACL_REVISION)) return false;
  for (const Ace& entry : ordered)
    if ((entry.type == ace::AccessAllowed || entry.type == ace::AccessDenied) &&
        !AppendAce(acl, entry))
      return false;
  return true;
}

// Turns on the backup privilege of the process token when the token has it, so that an
// administrator can read owners of files that deny him; no error when it is not there.
void EnableBackupPrivilege() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
    return;
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (::LookupPrivilegeValueW(nullptr, L"SeBackupPrivilege", &privileges.Privileges[0].Luid))
    ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  ::CloseHandle(token);
}

using GetVolumePathNameFunction = BOOL(WINAPI*)(LPCWSTR, LPWSTR, DWORD);

class SecurityApi final : public Security {
 public:
  bool OpenThreadToken(std::uint32_t access, bool openAsSelf, Handle* token) override {
    HANDLE opened = nullptr;
    const BOOL done = ::OpenThreadToken(::GetCurrentThread(), access, openAsSelf, &opened);
    *token = done ? reinterpret_cast<Handle>(opened) : kNoHandle;
    return done != FALSE;
  }

  bool OpenProcessToken(std::uint32_t access, Handle* token) override {
    HANDLE opened = nullptr;
    const BOOL done = ::OpenProcessToken(::GetCurrentProcess(), access, &opened);
    *token = done ? reinterpret_cast<Handle>(opened) : kNoHandle;
    return done != FALSE;
  }

  bool DuplicateToken(Handle token, std::uint32_t level, Handle* duplicate) override {
    HANDLE copy = nullptr;
    const BOOL done = ::DuplicateToken(ToHandle(token),
                                       static_cast<SECURITY_IMPERSONATION_LEVEL>(level), &copy);
    *duplicate = done ? reinterpret_cast<Handle>(copy) : kNoHandle;
    return done != FALSE;
  }


  bool AllocateAndInitializeSid(const SidAuthority& authority,
                                const std::vector<std::uint32_t>& subAuthorities,
                                Sid* sid) override {
    sid->clear();
    if (subAuthorities.size() > 8) {
      ::SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    SID_IDENTIFIER_AUTHORITY windowsAuthority;
    std::memcpy(windowsAuthority.Value, authority.data(), authority.size());
    DWORD rid[8] = {};
    for (std::size_t i = 0; i < subAuthorities.size(); ++i) rid[i] = subAuthorities[i];
    PSID allocated = nullptr;
    if (!::AllocateAndInitializeSid(&windowsAuthority, static_cast<BYTE>(subAuthorities.size()),
                                    rid[0], rid[1], rid[2], rid[3], rid[4], rid[5], rid[6],
                                    rid[7], &allocated))
      return false;
    const auto* bytes = static_cast<const std::uint8_t*>(allocated);
    sid->assign(bytes, bytes + ::GetLengthSid(allocated));
    ::FreeSid(allocated);
    return true;
  }

  bool InitializeSecurityDescriptor(SecurityDescriptor* descriptor,
                                    std::uint32_t revision) override {
    return ::InitializeSecurityDescriptor(ToDescriptor(descriptor), revision) != FALSE;
  }

  bool InitializeAcl(Acl* acl, std::uint32_t bytes, std::uint32_t revision) override {
    acl->assign(bytes, 0);
    return ::InitializeAcl(ToAcl(acl), bytes, revision) != FALSE;
  }

  bool AddAccessAllowedAce(Acl* acl, std::uint32_t revision, std::uint32_t accessMask,
                           const Sid& sid) override {
    return ::AddAccessAllowedAce(ToAcl(acl), revision, accessMask, ToSid(&sid)) != FALSE;
  }

  bool SetSecurityDescriptorDacl(SecurityDescriptor* descriptor, bool present, const Acl* acl,
                                 bool defaulted) override {
    return ::SetSecurityDescriptorDacl(ToDescriptor(descriptor), present, ToAcl(acl),
                                       defaulted) != FALSE;
  }

  bool SetSecurityDescriptorOwner(SecurityDescriptor* descriptor, const Sid* owner,
                                  bool defaulted) override {
    return ::SetSecurityDescriptorOwner(ToDescriptor(descriptor), ToSid(owner), defaulted) !=
           FALSE;
  }

  bool SetSecurityDescriptorGroup(SecurityDescriptor* descriptor, const Sid* group,
                                  bool defaulted) override {
    return ::SetSecurityDescriptorGroup(ToDescriptor(descriptor), ToSid(group), defaulted) !=
           FALSE;
  }

  bool IsValidSecurityDescriptor(const SecurityDescriptor& descriptor) override {
    return ::IsValidSecurityDescriptor(ToDescriptor(descriptor)) != FALSE;
  }

  bool AccessCheck(const SecurityDescriptor& descriptor, Handle token, std::uint32_t desiredAccess,
                   const GenericMapping& mapping, std::uint32_t* grantedAccess,
                   bool* accessStatus) override {
    GENERIC_MAPPING windowsMapping = {mapping.read, mapping.write, mapping.execute, mapping.all};
    PRIVILEGE_SET privileges = {};
    DWORD privilegesLength = sizeof(privileges);
    DWORD granted = 0;
    BOOL status = FALSE;
    const BOOL done = ::AccessCheck(ToDescriptor(descriptor), ToHandle(token), desiredAccess,
                                    &windowsMapping, &privileges, &privilegesLength, &granted,
                                    &status);
    *grantedAccess = done ? granted : 0;
    *accessStatus = done && status;
    return done != FALSE;
  }

  bool LookupAccountName(const std::wstring& name, Sid* sid, std::wstring* domain) override {
    DWORD sidBytes = 0, domainChars = 0;
    SID_NAME_USE use;
    ::LookupAccountNameW(nullptr, name.c_str(), nullptr, &sidBytes, nullptr, &domainChars, &use);
    if (sidBytes == 0) return false;
    sid->assign(sidBytes, 0);
    std::vector<wchar_t> domainBuffer(domainChars + 1, L'\0');
    if (!::LookupAccountNameW(nullptr, name.c_str(), sid->data(), &sidBytes, domainBuffer.data(),
                              &domainChars, &use))
      return false;
    sid->resize(::GetLengthSid(sid->data()));
    domain->assign(domainBuffer.data());
    return true;
  }

  bool LookupAccountSid(const Sid& sid, std::wstring* account, std::wstring* domain) override {
    DWORD accountChars = 0, domainChars = 0;
    SID_NAME_USE use;
    PSID windowsSid = ToSid(&sid);
    ::LookupAccountSidW(nullptr, windowsSid, nullptr, &accountChars, nullptr, &domainChars, &use);
    if (accountChars == 0) return false;
    std::vector<wchar_t> accountBuffer(accountChars + 1, L'\0');
    std::vector<wchar_t> domainBuffer(domainChars + 1, L'\0');
    if (!::LookupAccountSidW(nullptr, windowsSid, accountBuffer.data(), &accountChars,
                             domainBuffer.data(), &domainChars, &use))
      return false;
    account->assign(accountBuffer.data());
    domain->assign(domainBuffer.data());
    return true;
  }

  bool SidToText(const Sid& sid, std::wstring* text) override {
    LPWSTR converted = nullptr;
    if (!::ConvertSidToStringSidW(ToSid(&sid), &converted)) return false;
    ScopedLocalMemory owner(converted);
    text->assign(converted);
    return true;
  }

  bool ReadDacl(const std::wstring& path, AceList* aces) override {
    aces->clear();
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error = ::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT,
                                                DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                                &dacl, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) {
      ::SetLastError(error);
      return false;
    }
    ScopedLocalMemory owner(descriptor);
    *aces = AcesOf(dacl);
    return true;
  }

  bool WriteProtectedDacl(const std::wstring& path, const AceList& aces) override {
    std::vector<std::uint8_t> acl;
    if (!BuildAcl(aces, &acl)) return false;
    const DWORD error = ::SetNamedSecurityInfoW(
        const_cast<LPWSTR>(path.c_str()), SE_FILE_OBJECT,
        DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
        reinterpret_cast<PACL>(acl.data()), nullptr);
    if (error != ERROR_SUCCESS) {
      ::SetLastError(error);
      return false;
    }
    return true;
  }

  bool ReadOwner(const std::wstring& path, Sid* owner, OwnerReadStep* failedStep) override {
    owner->clear();
    EnableBackupPrivilege();
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error = ::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT,
                                                OWNER_SECURITY_INFORMATION, nullptr, nullptr,
                                                nullptr, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) {
      *failedStep = OwnerReadStep::Descriptor;
      ::SetLastError(error);
      return false;
    }
    ScopedLocalMemory descriptorOwner(descriptor);
    PSID ownerSid = nullptr;
    BOOL defaulted = FALSE;
    const BOOL read = ::GetSecurityDescriptorOwner(descriptor, &ownerSid, &defaulted);
    if (!read || ownerSid == nullptr) {
      // A descriptor without an owner is no failure of the call: name the reason.
      if (read) ::SetLastError(ERROR_INVALID_OWNER);
      *failedStep = OwnerReadStep::Owner;
      return false;
    }
    *owner = SidBytes(ownerSid);
    return true;
  }

  bool TokenUser(Handle token, Sid* user) override {
    user->clear();
    DWORD bytes = 0;
    ::GetTokenInformation(ToHandle(token), ::TokenUser, nullptr, 0, &bytes);
    if (bytes == 0) return false;
    std::vector<std::uint8_t> buffer(bytes);
    if (!::GetTokenInformation(ToHandle(token), ::TokenUser, buffer.data(), bytes, &bytes))
      return false;
    *user = SidBytes(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
    return true;
  }

  bool VolumePathName(const std::wstring& path, std::wstring* root) override {
    root->clear();
    // kernel32.dll is always loaded (and a KnownDLL): looked up, never loaded by name.
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto getVolumePathName = reinterpret_cast<GetVolumePathNameFunction>(reinterpret_cast<void*>(
        kernel == nullptr ? nullptr : ::GetProcAddress(kernel, "GetVolumePathNameW")));
    if (getVolumePathName == nullptr) {
      ::SetLastError(ERROR_PROC_NOT_FOUND);
      return false;
    }
    std::vector<wchar_t> buffer(path.size() + MAX_PATH + 1, L'\0');
    if (!getVolumePathName(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size())))
      return false;
    root->assign(buffer.data());
    return true;
  }

  bool VolumeFlags(const std::wstring& root, std::uint32_t* flags) override {
    DWORD systemFlags = 0;
    if (!::GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, &systemFlags, nullptr,
                                 0))
      return false;
    *flags = systemFlags;
    return true;
  }

  bool StartWithoutWindow(const std::wstring& application, const std::wstring& commandLine,
                          StartedProcess* started) override {
    *started = StartedProcess();
    // CreateProcessW may write into the command line, so it gets its own copy.
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(application.c_str(), writable.data(), nullptr, nullptr, FALSE,
                          CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info))
      return false;
    ::CloseHandle(info.hThread);
    started->process = reinterpret_cast<Handle>(info.hProcess);
    started->processId = info.dwProcessId;
    return true;
  }
};

}  // namespace

Security& Win32Security() {
  static SecurityApi security;
  return security;
}

}  // namespace platform::win32
