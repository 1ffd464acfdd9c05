// Security of the simulated machine: the process's token (elevated, or an administrator's
// restricted token under user account control, or a standard user's), SIDs and access
// lists in Windows' own layout, descriptors and the access check against the token's
// groups, with failures that a test can inject call by call. For the permissions of folders
// it keeps the machine's accounts (names can be localised), the owner and DACL of each file
// and folder (those never set have the default below), which volumes keep ACLs, and what the
// system's takeown.exe does.
//
// A file or folder whose security was never set is owned by the token's user and carries
// the DACL a folder below a user's profile inherits: full access for SYSTEM, Administrators
// and the user, read and execute for Users, all with flags 0x13 (inherited, propagating).
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Security.h"
#include "platform/sim/SimObjects.h"
#include "platform/sim/SimProcess.h"

namespace platform::sim {

class SimFiles;
class SimProcesses;

// "S-1-5-32-544" for a SID in Windows' layout, and back (false for a malformed text).
std::wstring SidText(const Sid& sid);
bool ParseSidText(const std::wstring& text, Sid* sid);

struct SimAccount {
  Sid sid;
  std::wstring domain;
  std::wstring name;
};

// The owner and DACL of one file or folder.
struct SimObjectSecurity {
  std::wstring path;  // full path, as first named
  Sid owner;
  AceList dacl;
  bool daclProtected = false;
};

// The accounts of every simulated machine.
namespace simsid {
const std::wstring kSystem = L"S-1-5-18";
const std::wstring kAdministrators = L"S-1-5-32-544";
const std::wstring kUsers = L"S-1-5-32-545";
const std::wstring kEveryone = L"S-1-1-0";
const std::wstring kUser = L"S-1-5-21-3623811015-3361044348-30300820-1001";  // TAMBER-PC\User
}  // namespace simsid

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
  LookupAccountSid,
  SidToText,
  ReadDacl,
  WriteDacl,
  ReadOwnerDescriptor,  // GetNamedSecurityInfoW for the owner
  ReadOwnerSid,         // taking the owner from the descriptor
  TokenUser,
  VolumeFlags,
};

class SimSecurity : public Security {
 public:
  SimSecurity(SimProcess& process, SimObjectTable& objects, SimFiles& files);
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

  // Names match without regard to case, alone or as "DOMAIN\\name".
  bool LookupAccountName(const std::wstring& name, Sid* sid, std::wstring* domain) override;
  bool LookupAccountSid(const Sid& sid, std::wstring* account, std::wstring* domain) override;
  bool SidToText(const Sid& sid, std::wstring* text) override;
  // FileNotFound / PathNotFound for a path that does not exist.
  bool ReadDacl(const std::wstring& path, AceList* aces) override;
  bool WriteProtectedDacl(const std::wstring& path, const AceList& aces) override;
  bool ReadOwner(const std::wstring& path, Sid* owner, OwnerReadStep* failedStep) override;
  bool TokenUser(Handle token, Sid* user) override;
  // The drive's root ("C:\\"), or the share of a UNC path; kErrorProcNotFound when the
  // machine has no GetVolumePathNameW.
  bool VolumePathName(const std::wstring& path, std::wstring* root) override;
  // NTFS flags, or FAT32 flags (no kFilePersistentAcls) for a drive without ACLs;
  // PathNotFound for a drive the machine does not have.
  bool VolumeFlags(const std::wstring& root, std::uint32_t* flags) override;
  // Starts the program at `application` (a file on the simulated disk). When it is the
  // system's takeown.exe ("takeown.exe /F "PATH" [/R]"), it ends with the next queued exit
  // code, or without one with 0 in an elevated process and 1 otherwise; 0 makes the token's
  // user the owner of PATH and, with /R, of everything below it.
  bool StartWithoutWindow(const std::wstring& application, const std::wstring& commandLine,
                          StartedProcess* started) override;

  // --- Set-up and inspection.
  // Whether the process runs with the full administrator token. False (the default) is an
  // administrator's restricted token: the Administrators group is there for denial only.
  void SetElevated(bool elevated) { elevated_ = elevated; }
  bool IsElevated() const { return elevated_; }
  // The next `times` calls of `call` fail with `error`.
  void FailCall(SecurityCall call, Win32Error error, int times = 1);
  std::size_t OpenTokenCount() const { return objects_.Count<SimToken>(); }

  // Where started programs run (set once by the machine).
  void AttachProcesses(SimProcesses& processes) { processes_ = &processes; }

  // Adds the account, or gives the account of that SID new names (a localised
  // "Administradores", say).
  void SetAccount(const SimAccount& account);
  const std::vector<SimAccount>& Accounts() const { return accounts_; }
  // The user of the process token (an account of the machine).
  void SetTokenUser(const Sid& user) { tokenUser_ = user; }
  const Sid& TokenUserSid() const { return tokenUser_; }
  // The security of `path` (default, above, until set).
  SimObjectSecurity ObjectSecurity(const std::wstring& path) const;
  void SetOwner(const std::wstring& path, const Sid& owner);
  void SetDacl(const std::wstring& path, const AceList& dacl, bool daclProtected = false);
  // Every file and folder whose security was set, by upper-case full path.
  const std::map<std::wstring, SimObjectSecurity>& SecurityRecords() const { return secured_; }
  int DaclWriteCount() const { return daclWrites_; }
  // Whether the volume of drive `letter` keeps ACLs (all do until told otherwise).
  void SetVolumeAcls(wchar_t letter, bool keepsAcls);
  const std::set<wchar_t>& DrivesWithoutAcls() const { return drivesWithoutAcls_; }
  void SetVolumePathFunctionPresent(bool present) { volumePathFunction_ = present; }
  bool HasVolumePathFunction() const { return volumePathFunction_; }
  // The exit codes of the next takeown.exe runs, in order.
  void QueueTakeOwnExitCode(std::uint32_t exitCode) { takeOwnExitCodes_.push_back(exitCode); }
  const std::deque<std::uint32_t>& TakeOwnExitCodes() const { return takeOwnExitCodes_; }
  // Injected failures still due for `call` (for saving a machine).
  int FailuresDue(SecurityCall call, Win32Error* error) const;

 private:
  // True (with the last error set) when an injected failure of `call` is due.
  bool Fails(SecurityCall call);
  bool Succeed();
  Handle NewToken(bool elevated, bool impersonation);
  // The upper-case full path of an existing file or folder; false (last error set) when
  // there is none.
  bool ExistingKey(const std::wstring& path, std::wstring* key, std::wstring* full) const;
  SimObjectSecurity& ObjectRecord(const std::wstring& key, const std::wstring& full);
  SimObjectSecurity DefaultSecurity(const std::wstring& full) const;
  const SimAccount* AccountOf(const Sid& sid) const;
  std::uint32_t NextTakeOwnExitCode();
  void TakeOwnership(const std::wstring& commandLine);

  SimProcess& process_;
  SimObjectTable& objects_;
  SimFiles& files_;
  SimProcesses* processes_ = nullptr;
  std::vector<SimAccount> accounts_;
  Sid tokenUser_;
  std::map<std::wstring, SimObjectSecurity> secured_;  // by upper-case full path
  int daclWrites_ = 0;
  std::set<wchar_t> drivesWithoutAcls_;
  bool volumePathFunction_ = true;
  std::deque<std::uint32_t> takeOwnExitCodes_;
  bool elevated_ = false;
  std::map<SecurityCall, std::pair<Win32Error, int>> failures_;
};

}  // namespace platform::sim
