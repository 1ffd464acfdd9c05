#include "platform/sim/SimSecurity.h"

#include <cstring>
#include <memory>

namespace platform::sim {
namespace {

constexpr Win32Error kInvalidAcl = 1336;
constexpr Win32Error kInvalidSid = 1337;
constexpr Win32Error kInvalidSecurityDescr = 1338;
constexpr Win32Error kNoImpersonationToken = 1309;
constexpr Win32Error kAllottedSpaceExceeded = 1344;
constexpr Win32Error kUnknownRevision = 1305;

constexpr std::size_t kAclHeaderBytes = 8;
constexpr std::size_t kAceHeaderBytes = 8;  // type, flags, size, access mask
constexpr std::uint8_t kAccessAllowedAceType = 0;

// What the simulated descriptor keeps in SecurityDescriptor::storage.
struct DescriptorFields {
  std::uint8_t revision = 0;
  bool daclPresent = false;
  const Acl* dacl = nullptr;
  const Sid* owner = nullptr;
  const Sid* group = nullptr;
};
static_assert(sizeof(DescriptorFields) <= sizeof(SecurityDescriptor::storage), "fits");

DescriptorFields Fields(const SecurityDescriptor& descriptor) {
  DescriptorFields fields;
  std::memcpy(&fields, descriptor.storage.data(), sizeof(fields));
  return fields;
}

void StoreFields(SecurityDescriptor* descriptor, const DescriptorFields& fields) {
  std::memcpy(descriptor->storage.data(), &fields, sizeof(fields));
}

std::uint16_t Read16(const std::uint8_t* at) {
  return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}
void Write16(std::uint8_t* at, std::size_t value) {
  at[0] = static_cast<std::uint8_t>(value & 0xFF);
  at[1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}
std::uint32_t Read32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0] | (at[1] << 8) | (at[2] << 16)) |
         (static_cast<std::uint32_t>(at[3]) << 24);
}
void Write32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
}

// A SID in Windows' layout: revision 1, the subauthority count, the authority, the
// subauthorities (little-endian).
Sid MakeSid(const SidAuthority& authority, const std::vector<std::uint32_t>& subAuthorities) {
  Sid sid(8 + 4 * subAuthorities.size(), 0);
  sid[0] = 1;
  sid[1] = static_cast<std::uint8_t>(subAuthorities.size());
  std::memcpy(&sid[2], authority.data(), authority.size());
  for (std::size_t i = 0; i < subAuthorities.size(); ++i) Write32(&sid[8 + 4 * i], subAuthorities[i]);
  return sid;
}

bool IsValidSid(const std::uint8_t* sid, std::size_t available) {
  return available >= 8 && sid[0] == 1 && sid[1] <= 15 && available >= 8u + 4u * sid[1];
}

// The groups a token enables: Everyone and Users always, Administrators only in the full
// (elevated) token.
bool TokenEnablesGroup(bool elevated, const std::uint8_t* sid, std::size_t size) {
  const Sid everyone = MakeSid({0, 0, 0, 0, 0, 1}, {0});
  const Sid users = MakeSid(kNtAuthority, {sidrid::BuiltinDomain, 545});
  const Sid administrators = MakeSid(kNtAuthority, {sidrid::BuiltinDomain, sidrid::Administrators});
  auto is = [&](const Sid& group) {
    return size == group.size() && std::memcmp(sid, group.data(), size) == 0;
  };
  return is(everyone) || is(users) || (elevated && is(administrators));
}

// The bytes of an access list in use: its header and its entries.
std::size_t UsedAclBytes(const Acl& acl) {
  std::size_t used = kAclHeaderBytes;
  for (std::size_t count = Read16(&acl[4]); count > 0 && used + 4 <= acl.size(); --count)
    used += Read16(&acl[used + 2]);
  return used;
}

bool IsInitializedAcl(const Acl& acl) {
  return acl.size() >= kAclHeaderBytes && (acl[0] == 2 || acl[0] == 4) &&
         Read16(&acl[2]) == acl.size();
}

// The access rights the entries of `acl` allow the token.
std::uint32_t AllowedAccess(const Acl& acl, bool elevated) {
  std::uint32_t allowed = 0;
  std::size_t at = kAclHeaderBytes;
  for (std::size_t count = Read16(&acl[4]); count > 0; --count) {
    const std::size_t size = Read16(&acl[at + 2]);
    if (acl[at] == kAccessAllowedAceType &&
        TokenEnablesGroup(elevated, &acl[at + kAceHeaderBytes], size - kAceHeaderBytes))
      allowed |= Read32(&acl[at + 4]);
    at += size;
  }
  return allowed;
}

std::uint32_t MapGeneric(std::uint32_t access, const GenericMapping& mapping) {
  constexpr std::uint32_t kGenericRead = 0x80000000u, kGenericWrite = 0x40000000u,
                          kGenericExecute = 0x20000000u, kGenericAll = 0x10000000u;
  std::uint32_t mapped = access & 0x0FFFFFFFu;
  if (access & kGenericRead) mapped |= mapping.read;
  if (access & kGenericWrite) mapped |= mapping.write;
  if (access & kGenericExecute) mapped |= mapping.execute;
  if (access & kGenericAll) mapped |= mapping.all;
  return mapped;
}

}  // namespace

int SimSecurity::FailuresDue(SecurityCall call, Win32Error* error) const {
  auto found = failures_.find(call);
  if (found == failures_.end()) return 0;
  *error = found->second.first;
  return found->second.second;
}

void SimSecurity::FailCall(SecurityCall call, Win32Error error, int times) {
  failures_[call] = {error, times};
}

bool SimSecurity::Fails(SecurityCall call) {
  auto found = failures_.find(call);
  if (found == failures_.end() || found->second.second <= 0) return false;
  --found->second.second;
  process_.SetLastError(found->second.first);
  return true;
}

bool SimSecurity::Succeed() {
  process_.SetLastError(err::Success);
  return true;
}

Handle SimSecurity::NewToken(bool elevated, bool impersonation) {
  auto token = std::make_shared<SimToken>();
  token->elevated = elevated;
  token->impersonation = impersonation;
  return objects_.Add(std::move(token));
}

bool SimSecurity::OpenThreadToken(std::uint32_t, bool, Handle* token) {
  *token = kNoHandle;
  if (!Fails(SecurityCall::OpenThreadToken)) process_.SetLastError(kErrorNoToken);
  return false;
}

bool SimSecurity::OpenProcessToken(std::uint32_t, Handle* token) {
  *token = kNoHandle;
  if (Fails(SecurityCall::OpenProcessToken)) return false;
  *token = NewToken(elevated_, false);
  return Succeed();
}

bool SimSecurity::DuplicateToken(Handle token, std::uint32_t, Handle* duplicate) {
  *duplicate = kNoHandle;
  if (Fails(SecurityCall::DuplicateToken)) return false;
  const SimToken* original = objects_.Find<SimToken>(token);
  if (original == nullptr) return false;
  *duplicate = NewToken(original->elevated, true);
  return Succeed();
}

bool SimSecurity::AllocateAndInitializeSid(const SidAuthority& authority,
                                           const std::vector<std::uint32_t>& subAuthorities,
                                           Sid* sid) {
  sid->clear();
  if (Fails(SecurityCall::AllocateAndInitializeSid)) return false;
  if (subAuthorities.size() > 8) {
    process_.SetLastError(err::InvalidParameter);
    return false;
  }
  *sid = MakeSid(authority, subAuthorities);
  return Succeed();
}

bool SimSecurity::InitializeSecurityDescriptor(SecurityDescriptor* descriptor,
                                               std::uint32_t revision) {
  if (Fails(SecurityCall::InitializeSecurityDescriptor)) return false;
  if (revision != kSecurityDescriptorRevision) {
    process_.SetLastError(kUnknownRevision);
    return false;
  }
  DescriptorFields fields;
  fields.revision = static_cast<std::uint8_t>(revision);
  StoreFields(descriptor, fields);
  return Succeed();
}

bool SimSecurity::InitializeAcl(Acl* acl, std::uint32_t bytes, std::uint32_t revision) {
  acl->assign(bytes, 0);
  if (Fails(SecurityCall::InitializeAcl)) return false;
  if (bytes < kAclHeaderBytes || bytes > 0xFFFF || (revision != 2 && revision != 4)) {
    process_.SetLastError(err::InvalidParameter);
    return false;
  }
  (*acl)[0] = static_cast<std::uint8_t>(revision);
  Write16(&(*acl)[2], bytes);
  return Succeed();
}

bool SimSecurity::AddAccessAllowedAce(Acl* acl, std::uint32_t, std::uint32_t accessMask,
                                      const Sid& sid) {
  if (Fails(SecurityCall::AddAccessAllowedAce)) return false;
  if (!IsInitializedAcl(*acl)) {
    process_.SetLastError(kInvalidAcl);
    return false;
  }
  if (!IsValidSid(sid.data(), sid.size())) {
    process_.SetLastError(kInvalidSid);
    return false;
  }
  const std::size_t at = UsedAclBytes(*acl);
  const std::size_t aceBytes = kAceHeaderBytes + sid.size();
  if (at + aceBytes > acl->size()) {
    process_.SetLastError(kAllottedSpaceExceeded);
    return false;
  }
  std::uint8_t* ace = &(*acl)[at];
  ace[0] = kAccessAllowedAceType;
  ace[1] = 0;
  Write16(ace + 2, aceBytes);
  Write32(ace + 4, accessMask);
  std::memcpy(ace + kAceHeaderBytes, sid.data(), sid.size());
  Write16(&(*acl)[4], Read16(&(*acl)[4]) + 1u);
  return Succeed();
}

bool SimSecurity::SetSecurityDescriptorDacl(SecurityDescriptor* descriptor, bool present,
                                            const Acl* acl, bool) {
  if (Fails(SecurityCall::SetSecurityDescriptorDacl)) return false;
  DescriptorFields fields = Fields(*descriptor);
  if (fields.revision != kSecurityDescriptorRevision) {
    process_.SetLastError(kUnknownRevision);
    return false;
  }
  fields.daclPresent = present;
  fields.dacl = present ? acl : nullptr;
  StoreFields(descriptor, fields);
  return Succeed();
}

bool SimSecurity::SetSecurityDescriptorOwner(SecurityDescriptor* descriptor, const Sid* owner,
                                             bool) {
  DescriptorFields fields = Fields(*descriptor);
  fields.owner = owner;
  StoreFields(descriptor, fields);
  return Succeed();
}

bool SimSecurity::SetSecurityDescriptorGroup(SecurityDescriptor* descriptor, const Sid* group,
                                             bool) {
  DescriptorFields fields = Fields(*descriptor);
  fields.group = group;
  StoreFields(descriptor, fields);
  return Succeed();
}

bool SimSecurity::IsValidSecurityDescriptor(const SecurityDescriptor& descriptor) {
  if (Fails(SecurityCall::IsValidSecurityDescriptor)) return false;
  const DescriptorFields fields = Fields(descriptor);
  const bool valid = fields.revision == kSecurityDescriptorRevision &&
                     (fields.dacl == nullptr || IsInitializedAcl(*fields.dacl));
  if (!valid) {
    process_.SetLastError(kInvalidSecurityDescr);
    return false;
  }
  return Succeed();
}

bool SimSecurity::AccessCheck(const SecurityDescriptor& descriptor, Handle token,
                              std::uint32_t desiredAccess, const GenericMapping& mapping,
                              std::uint32_t* grantedAccess, bool* accessStatus) {
  *grantedAccess = 0;
  *accessStatus = false;
  if (Fails(SecurityCall::AccessCheck)) return false;
  const SimToken* found = objects_.Find<SimToken>(token);
  if (found == nullptr) return false;
  if (!found->impersonation) {
    process_.SetLastError(kNoImpersonationToken);
    return false;
  }
  const DescriptorFields fields = Fields(descriptor);
  if (fields.owner == nullptr || fields.group == nullptr) {
    process_.SetLastError(kInvalidSecurityDescr);
    return false;
  }
  const std::uint32_t desired = MapGeneric(desiredAccess, mapping);
  const std::uint32_t allowed =
      fields.dacl == nullptr ? desired : AllowedAccess(*fields.dacl, found->elevated);
  *accessStatus = (allowed & desired) == desired;
  *grantedAccess = *accessStatus ? desired : 0;
  process_.SetLastError(*accessStatus ? err::Success : err::AccessDenied);
  return true;
}

}  // namespace platform::sim
