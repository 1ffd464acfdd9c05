// Tokens, SIDs, access lists, descriptors and the access check over the Windows API.
#include <windows.h>

#include <cstring>

#include "platform/Security.h"
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
};

}  // namespace

Security& Win32Security() {
  static SecurityApi security;
  return security;
}

}  // namespace platform::win32
