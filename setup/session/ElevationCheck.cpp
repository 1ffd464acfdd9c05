// IsProcessElevated: whether the process token would be granted access to an object that
// only the Administrators group may use. A restricted token, in which the group is present
// only for denial, is refused, so an administrator under user account control counts as
// not elevated until the elevation prompt was accepted.
#include <cstdint>

#include "logging/Log.h"
#include "platform/CurrentProcess.h"
#include "platform/Machine.h"
#include "platform/Owner.h"
#include "platform/Security.h"
#include "setup/session/Elevation.h"
#include "setup/session/LastErrorReport.h"
#include "setup/session/Messages.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Elevation";

constexpr std::uint32_t kAccessRead = 1;
constexpr std::uint32_t kAccessWrite = 2;
// The size of an access list with one access-allowed entry, beyond the SID it holds: the
// list's header (8 bytes) and the entry's header and mask (8 bytes).
constexpr std::uint32_t kOneEntryAclOverhead = 16;

// Logs `format` at Error with the thread's last error and its text, and keeps that error
// for the next step's line (writing the log may change it).
void LogLastError(const wchar_t* format) {
  const LastErrorReport failure;
  TAMBER_LOG(Error, L"IsProcessElevated", format, failure.code, failure.text);
}

using ScopedToken = platform::ScopedHandle;

// The token the thread acts with: its own when it impersonates, else the process's. No
// handle when neither can be opened.
platform::Handle OpenOwnToken() {
  platform::Security& security = platform::security();
  const std::uint32_t access = platform::token::Duplicate | platform::token::Query;
  platform::Handle token = platform::kNoHandle;
  if (security.OpenThreadToken(access, true, &token)) return token;
  if (platform::process().LastError() != platform::kErrorNoToken) return platform::kNoHandle;
  if (security.OpenProcessToken(access, &token)) return token;
  LogLastError(L"Failed to retrieve an access token. OpenProcessToken set last error 0x%X, '%s'.");
  return platform::kNoHandle;
}

// An impersonation copy of `token`, as the access check needs; no handle on failure.
platform::Handle ImpersonationToken(platform::Handle token) {
  platform::Handle duplicate = platform::kNoHandle;
  if (token != platform::kNoHandle &&
      platform::security().DuplicateToken(token, platform::token::SecurityImpersonation,
                                          &duplicate))
    return duplicate;
  LogLastError(L"DuplicateToken failed with 0x%X, '%s'.");
  return platform::kNoHandle;
}

// An object only the Administrators group may read and write. The descriptor points at the
// SID and the access list, so the three live and move together (they never move).
struct AdministratorsOnlyObject {
  platform::Sid administrators;
  platform::Acl acl;
  platform::SecurityDescriptor descriptor;

  AdministratorsOnlyObject() = default;
  AdministratorsOnlyObject(const AdministratorsOnlyObject&) = delete;
  AdministratorsOnlyObject& operator=(const AdministratorsOnlyObject&) = delete;
};

// Checks one step of building the object; logs `failure` when it failed.
bool Step(bool done, const wchar_t* failure) {
  if (!done) LogLastError(failure);
  return done;
}

bool BuildAdministratorsOnlyObject(AdministratorsOnlyObject* object) {
  platform::Security& security = platform::security();
  if (!Step(security.AllocateAndInitializeSid(
                platform::kNtAuthority,
                {platform::sidrid::BuiltinDomain, platform::sidrid::Administrators},
                &object->administrators),
            L"AllocateAndInitializeSid failed with 0x%X, '%s'."))
    return false;
  const auto aclBytes =
      static_cast<std::uint32_t>(object->administrators.size()) + kOneEntryAclOverhead;
  platform::SecurityDescriptor* descriptor = &object->descriptor;
  const platform::Sid* sid = &object->administrators;
  return Step(security.InitializeSecurityDescriptor(descriptor, platform::kSecurityDescriptorRevision),
              L"InitializeSecurityDescriptor failed with 0x%X, '%s'.") &&
         Step(security.InitializeAcl(&object->acl, aclBytes, platform::kAclRevision),
              L"InitializeAcl failed with 0x%X, '%s'.") &&
         Step(security.AddAccessAllowedAce(&object->acl, platform::kAclRevision,
                                           kAccessRead | kAccessWrite, *sid),
              L"AddAccessAllowedAce failed with 0x%X, '%s'.") &&
         Step(security.SetSecurityDescriptorDacl(descriptor, true, &object->acl, false),
              L"SetSecurityDescriptorDacl failed with 0x%X, '%s'.") &&
         // The owner and group are required by the access check; they cannot fail for a
         // descriptor that was just initialised.
         security.SetSecurityDescriptorOwner(descriptor, sid, false) &&
         security.SetSecurityDescriptorGroup(descriptor, sid, false) &&
         Step(security.IsValidSecurityDescriptor(*descriptor),
              L"IsValidSecurityDescriptor failed with 0x%X, '%s'.");
}

// Whether `token` (an impersonation token) may read the object.
bool MayRead(const AdministratorsOnlyObject& object, platform::Handle token) {
  const platform::GenericMapping mapping{kAccessRead, kAccessWrite, 0, kAccessRead | kAccessWrite};
  std::uint32_t granted = 0;
  bool accessStatus = false;
  if (!platform::security().AccessCheck(object.descriptor, token, kAccessRead, mapping, &granted,
                                        &accessStatus)) {
    LogLastError(L"AccessCheck failed with 0x%X, '%s'.");
    return false;
  }
  return accessStatus;
}

bool CheckAdministratorAccess() {
  const ScopedToken token(OpenOwnToken());
  const ScopedToken impersonation(ImpersonationToken(token.Get()));
  if (impersonation.Get() == platform::kNoHandle) return false;
  AdministratorsOnlyObject object;
  return BuildAdministratorsOnlyObject(&object) && MayRead(object, impersonation.Get());
}

}  // namespace

bool IsProcessElevated() {
  const bool elevated = CheckAdministratorAccess();
  TAMBER_LOG(Info, L"IsProcessElevated", L"Process is %selevated.", elevated ? L"" : L"not ");
  return elevated;
}

}  // namespace setup
