// Security of the simulated machine: the process's token (elevated, or an administrator's
// restricted token under user account control, or a standard user's), SIDs and access
// lists in Windows' own layout, descriptors and the access check against the token's
// groups, with failures that a test can inject call by call.
#pragma once

#include <cstdint>
#include <map>

#include "platform/Security.h"
#include "platform/sim/SimObjects.h"
#include "platform/sim/SimProcess.h"

namespace platform::sim {

// The calls whose failure a test can ask for.
enum class SecurityCall {
  OpenThreadToken,
  OpenProcessToken,
  DuplicateToken,
  AllocateAndInitializeSid,
  InitializeSecurityDescriptor,
  InitializeAcl,
  AddAccessAllowedAce,
  SetSecurityDescriptorDacl,
  IsValidSecurityDescriptor,
  AccessCheck,
};

class SimSecurity : public Security {
 public:
  SimSecurity(SimProcess& process, SimObjectTable& objects) : process_(process), objects_(objects) {}
  SimSecurity(const SimSecurity&) = delete;
  SimSecurity& operator=(const SimSecurity&) = delete;

  // The thread never impersonates: NoToken, unless a failure is injected.
  bool OpenThreadToken(std::uint32_t access, bool openAsSelf, Handle* token) override;
  bool OpenProcessToken(std::uint32_t access, Handle* token) override;
  bool DuplicateToken(Handle token, std::uint32_t level, Handle* duplicate) override;
  bool AllocateAndInitializeSid(const SidAuthority& authority,
                                const std::vector<std::uint32_t>& subAuthorities,
                                Sid* sid) override;
  bool InitializeSecurityDescriptor(SecurityDescriptor* descriptor,
                                    std::uint32_t revision) override;
  bool InitializeAcl(Acl* acl, std::uint32_t bytes, std::uint32_t revision) override;
  // AllottedSpaceExceeded when the entry does not fit.
  bool AddAccessAllowedAce(Acl* acl, std::uint32_t revision, std::uint32_t accessMask,
                           const Sid& sid) override;
  bool SetSecurityDescriptorDacl(SecurityDescriptor* descriptor, bool present, const Acl* acl,
                                 bool defaulted) override;
  bool SetSecurityDescriptorOwner(SecurityDescriptor* descriptor, const Sid* owner,
                                  bool defaulted) override;
  bool SetSecurityDescriptorGroup(SecurityDescriptor* descriptor, const Sid* group,
                                  bool defaulted) override;
  bool IsValidSecurityDescriptor(const SecurityDescriptor& descriptor) override;
  // Grants what the access-allowed entries for the token's enabled groups allow (everything
  // without an access list). NoImpersonationToken for a primary token, InvalidSecurityDescr
  // without owner or group.
  bool AccessCheck(const SecurityDescriptor& descriptor, Handle token, std::uint32_t desiredAccess,
                   const GenericMapping& mapping, std::uint32_t* grantedAccess,
                   bool* accessStatus) override;

  // --- Set-up and inspection.
  // Whether the process runs with the full administrator token. False (the default) is an
  // administrator's restricted token: the Administrators group is there for denial only.
  void SetElevated(bool elevated) { elevated_ = elevated; }
  bool IsElevated() const { return elevated_; }
  // The next `times` calls of `call` fail with `error`.
  void FailCall(SecurityCall call, Win32Error error, int times = 1);
  std::size_t OpenTokenCount() const { return objects_.Count<SimToken>(); }

 private:
  // True (with the last error set) when an injected failure of `call` is due.
  bool Fails(SecurityCall call);
  bool Succeed();
  Handle NewToken(bool elevated, bool impersonation);

  SimProcess& process_;
  SimObjectTable& objects_;
  bool elevated_ = false;
  std::map<SecurityCall, std::pair<Win32Error, int>> failures_;
};

}  // namespace platform::sim
