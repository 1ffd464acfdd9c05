// Security: access tokens, SIDs, access lists, security descriptors and the access check,
// with the grain of OpenThreadToken, OpenProcessToken, DuplicateToken,
// AllocateAndInitializeSid, InitializeSecurityDescriptor, InitializeAcl, AddAccessAllowedAce,
// SetSecurityDescriptorDacl/Owner/Group, IsValidSecurityDescriptor and AccessCheck; and for
// the permissions of a folder: account lookup (LookupAccountNameW, LookupAccountSidW),
// textual SIDs, a file's DACL and owner (GetNamedSecurityInfoW, SetNamedSecurityInfoW), the
// token's user, its volume (GetVolumePathNameW, GetVolumeInformationW) and the start of the
// system's takeown.exe. Failures leave their reason in the thread's last error
// (CurrentProcess::LastError).
//
// SIDs and access lists travel as Windows lays them out in memory. A security descriptor is
// the absolute form, which points at the SIDs and the access list it is given: those must
// outlive it and stay where they are, as on Windows.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Processes.h"
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
constexpr std::uint32_t LocalSystem = 18;      // SECURITY_LOCAL_SYSTEM_RID
}  // namespace sidrid

// ACE types and ACE flags.
namespace ace {
constexpr std::uint8_t AccessAllowed = 0;  // ACCESS_ALLOWED_ACE_TYPE
constexpr std::uint8_t AccessDenied = 1;   // ACCESS_DENIED_ACE_TYPE
constexpr std::uint8_t ObjectInherit = 0x01;
constexpr std::uint8_t ContainerInherit = 0x02;
constexpr std::uint8_t NoPropagateInherit = 0x04;
constexpr std::uint8_t InheritOnly = 0x08;
constexpr std::uint8_t Inherited = 0x10;
}  // namespace ace

// Access rights of files and folders, and the volume flag of file systems that keep ACLs.
namespace access {
constexpr std::uint32_t FileAllAccess = 0x001F01FF;
constexpr std::uint32_t GenericAll = 0x10000000;
}  // namespace access
constexpr std::uint32_t kFilePersistentAcls = 0x00000008;

// ERROR_NONE_MAPPED: an account name or SID the system does not know.
constexpr Win32Error kErrorNoneMapped = 1332;
// ERROR_PROC_NOT_FOUND: a function looked up at run time is missing.
constexpr Win32Error kErrorProcNotFound = 127;

// One entry of a DACL. The SID is empty for entry types that carry none where Windows
// puts it in the simple types (object entries and the like); such entries are kept as read.
struct Ace {
  std::uint8_t type = ace::AccessAllowed;
  std::uint8_t flags = 0;
  std::uint32_t mask = 0;
  Sid sid;
  bool operator==(const Ace& other) const {
    return type == other.type && flags == other.flags && mask == other.mask && sid == other.sid;
  }
};
using AceList = std::vector<Ace>;

// Removes every entry whose SID is `sid`.
void RemoveAces(AceList* aces, const Sid& sid);
// Appends an access-allowed entry.
void AddAllowedAce(AceList* aces, const Sid& sid, std::uint32_t mask, std::uint8_t flags);
// The entries in the order Windows expects of a DACL: explicit denials, then the other
// explicit entries, then the inherited ones, each group in its given order.
AceList CanonicalOrder(const AceList& aces);
// PathStripToRootW: "C:\a\b" gives "C:\", "\\server\share\a" gives
// "\\server\share"; a path without a root gives the empty text.
std::wstring StripToRoot(const std::wstring& path);

// Where reading a file's owner failed.
enum class OwnerReadStep { Descriptor, Owner };

// Token access rights and the impersonation level of a duplicated token.
namespace token {
constexpr std::uint32_t Duplicate = 0x0002;
constexpr std::uint32_t Query = 0x0008;
constexpr std::uint32_t Read = 0x00020008;  // TOKEN_READ: query and read control
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

  // LookupAccountNameW on the local system: the SID of `name` ("Administrators" or
  // "DOMAIN\\name") and its domain. kErrorNoneMapped for an unknown name.
  virtual bool LookupAccountName(const std::wstring& name, Sid* sid, std::wstring* domain) = 0;
  // LookupAccountSidW on the local system: the account and domain names of `sid`.
  virtual bool LookupAccountSid(const Sid& sid, std::wstring* account, std::wstring* domain) = 0;
  // ConvertSidToStringSidW: "S-1-5-32-544".
  virtual bool SidToText(const Sid& sid, std::wstring* text) = 0;

  // GetNamedSecurityInfoW on a file or folder, DACL only: its entries in DACL order. An
  // absent (null) DACL gives an empty list.
  virtual bool ReadDacl(const std::wstring& path, AceList* aces) = 0;
  // SetNamedSecurityInfoW on a file or folder with DACL_SECURITY_INFORMATION and
  // PROTECTED_DACL_SECURITY_INFORMATION: the DACL built from `aces` in CanonicalOrder.
  virtual bool WriteProtectedDacl(const std::wstring& path, const AceList& aces) = 0;
  // GetNamedSecurityInfoW on a file or folder, owner only (with the backup privilege
  // enabled where the token has it), then its owner SID. On failure *failedStep tells which
  // of the two failed.
  virtual bool ReadOwner(const std::wstring& path, Sid* owner, OwnerReadStep* failedStep) = 0;
  // GetTokenInformation(TokenUser): the SID of the token's user.
  virtual bool TokenUser(Handle token, Sid* user) = 0;

  // GetVolumePathNameW, looked up in kernel32.dll at run time: the mount point of the
  // volume that holds `path`, with its trailing backslash. kErrorProcNotFound when the
  // system has no such function.
  virtual bool VolumePathName(const std::wstring& path, std::wstring* root) = 0;
  // GetVolumeInformationW: the file-system flags of the volume at `root`.
  virtual bool VolumeFlags(const std::wstring& root, std::uint32_t* flags) = 0;

  // CreateProcessW of `application` (a full path) with `commandLine`, no handle
  // inheritance, CREATE_NO_WINDOW, the caller's environment and current folder and an empty
  // start-up record: how the system's takeown.exe is run. The thread handle is closed at
  // once; the process handle belongs to the caller (Processes::Wait, ExitCode, Close).
  virtual bool StartWithoutWindow(const std::wstring& application, const std::wstring& commandLine,
                                  StartedProcess* started) = 0;
};

}  // namespace platform
