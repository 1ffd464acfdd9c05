// Security: access tokens, SIDs, access lists, security descriptors and the access check,
// with the grain of OpenThreadToken, OpenProcessToken, DuplicateToken,
// AllocateAndInitializeSid, InitializeSecurityDescriptor, InitializeAcl, AddAccessAllowedAce,
// SetSecurityDescriptorDacl/Owner/Group, IsValidSecurityDescriptor and AccessCheck. Failures
// leave their reason in the thread's last error (CurrentProcess::LastError).
//
// SIDs and access lists travel as Windows lays them out in memory. A security descriptor is
// the absolute form, which points at the SIDs and the access list it is given: those must
// outlive it and stay where they are, as on Windows.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/Types.h"

namespace platform {

using Sid = std::vector<std::uint8_t>;
using Acl = std::vector<std::uint8_t>;

// SID_IDENTIFIER_AUTHORITY.
using SidAuthority = std::array<std::uint8_t, 6>;
constexpr SidAuthority kNtAuthority = {0, 0, 0, 0, 0, 5};

namespace sidrid {
constexpr std::uint32_t BuiltinDomain = 32;   // SECURITY_BUILTIN_DOMAIN_RID
constexpr std::uint32_t Administrators = 544;  // DOMAIN_ALIAS_RID_ADMINS
}  // namespace sidrid

// Token access rights and the impersonation level of a duplicated token.
namespace token {
constexpr std::uint32_t Duplicate = 0x0002;
constexpr std::uint32_t Query = 0x0008;
constexpr std::uint32_t SecurityImpersonation = 2;
}  // namespace token

constexpr std::uint32_t kAclRevision = 2;
constexpr std::uint32_t kSecurityDescriptorRevision = 1;

// ERROR_NO_TOKEN: OpenThreadToken on a thread that is not impersonating.
constexpr Win32Error kErrorNoToken = 1008;

// GENERIC_MAPPING.
struct GenericMapping {
  std::uint32_t read = 0, write = 0, execute = 0, all = 0;
};

// Room for an absolute SECURITY_DESCRIPTOR (20 bytes on 32-bit Windows, 40 on 64-bit).
struct SecurityDescriptor {
  alignas(8) std::array<std::uint8_t, 64> storage{};
};

class Security {
 public:
  virtual ~Security() = default;

  // OpenThreadToken on the calling thread; last error kErrorNoToken when the thread has no
  // token of its own.
  virtual bool OpenThreadToken(std::uint32_t access, bool openAsSelf, Handle* token) = 0;
  // OpenProcessToken on the current process.
  virtual bool OpenProcessToken(std::uint32_t access, Handle* token) = 0;
  // DuplicateToken: an impersonation token of `level`.
  virtual bool DuplicateToken(Handle token, std::uint32_t level, Handle* duplicate) = 0;

  // AllocateAndInitializeSid with up to eight subauthorities; *sid receives its bytes (the
  // system's allocation is freed before returning).
  virtual bool AllocateAndInitializeSid(const SidAuthority& authority,
                                        const std::vector<std::uint32_t>& subAuthorities,
                                        Sid* sid) = 0;

  // InitializeSecurityDescriptor.
  virtual bool InitializeSecurityDescriptor(SecurityDescriptor* descriptor,
                                            std::uint32_t revision) = 0;
  // InitializeAcl: *acl is made `bytes` long and initialised as an empty access list.
  virtual bool InitializeAcl(Acl* acl, std::uint32_t bytes, std::uint32_t revision) = 0;
  // AddAccessAllowedAce.
  virtual bool AddAccessAllowedAce(Acl* acl, std::uint32_t revision, std::uint32_t accessMask,
                                   const Sid& sid) = 0;
  // SetSecurityDescriptorDacl / Owner / Group.
  virtual bool SetSecurityDescriptorDacl(SecurityDescriptor* descriptor, bool present,
                                         const Acl* acl, bool defaulted) = 0;
  virtual bool SetSecurityDescriptorOwner(SecurityDescriptor* descriptor, const Sid* owner,
                                          bool defaulted) = 0;
  virtual bool SetSecurityDescriptorGroup(SecurityDescriptor* descriptor, const Sid* group,
                                          bool defaulted) = 0;
  // IsValidSecurityDescriptor.
  virtual bool IsValidSecurityDescriptor(const SecurityDescriptor& descriptor) = 0;

  // AccessCheck of an impersonation token against `descriptor`. True when the check ran;
  // *accessStatus tells whether `desiredAccess` was granted.
  virtual bool AccessCheck(const SecurityDescriptor& descriptor, Handle token,
                           std::uint32_t desiredAccess, const GenericMapping& mapping,
                           std::uint32_t* grantedAccess, bool* accessStatus) = 0;
};

}  // namespace platform
