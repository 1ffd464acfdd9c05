// The simulated machine's accounts, owners, DACLs, volumes and takeown.exe (SimSecurity).
#include <cstdlib>

#include "platform/sim/SimFiles.h"
#include "platform/sim/SimProcesses.h"
#include "platform/sim/SimSecurity.h"
#include "platform/sim/SimText.h"

namespace platform::sim {
namespace {

// The file-system flags of NTFS and of FAT32 as GetVolumeInformationW reports them.
constexpr std::uint32_t kNtfsFlags = 0x03E706FF;
constexpr std::uint32_t kFatFlags = 0x00020206;
constexpr std::uint32_t kReadAndExecute = 0x001200A9;

Sid SidOf(const std::wstring& text) {
  Sid sid;
  ParseSidText(text, &sid);
  return sid;
}

// The folder of a full path without its trailing backslash (a drive root keeps it).
std::wstring WithoutTrailingSlash(std::wstring path) {
  if (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path;
}

}  // namespace

std::wstring SidText(const Sid& sid) {
  if (sid.size() < 8) return std::wstring();
  std::uint64_t authority = 0;
  for (int i = 2; i < 8; ++i) authority = (authority << 8) | sid[i];
  std::wstring text = L"S-" + std::to_wstring(sid[0]) + L"-" + std::to_wstring(authority);
  for (std::size_t i = 0; i < sid[1] && 8 + 4 * i + 3 < sid.size(); ++i) {
    const std::uint8_t* at = &sid[8 + 4 * i];
    const std::uint32_t rid = static_cast<std::uint32_t>(at[0] | (at[1] << 8) | (at[2] << 16)) |
                              (static_cast<std::uint32_t>(at[3]) << 24);
    text += L"-" + std::to_wstring(rid);
  }
  return text;
}

bool ParseSidText(const std::wstring& text, Sid* sid) {
  if (text.rfind(L"S-1-", 0) != 0) return false;
  std::vector<std::uint64_t> numbers;
  std::size_t at = 4;
  while (at <= text.size()) {
    const std::size_t dash = text.find(L'-', at);
    const std::wstring part = text.substr(at, dash == std::wstring::npos ? std::wstring::npos : dash - at);
    if (part.empty() || part.find_first_not_of(L"0123456789") != std::wstring::npos) return false;
    numbers.push_back(std::wcstoull(part.c_str(), nullptr, 10));
    if (dash == std::wstring::npos) break;
    at = dash + 1;
  }
  if (numbers.size() < 1 || numbers.size() > 16 || numbers[0] > 0xFFFFFFFFFFFFull) return false;
  sid->assign(8 + 4 * (numbers.size() - 1), 0);
  (*sid)[0] = 1;
  (*sid)[1] = static_cast<std::uint8_t>(numbers.size() - 1);
  for (int i = 0; i < 6; ++i) (*sid)[2 + i] = static_cast<std::uint8_t>(numbers[0] >> (8 * (5 - i)));
  for (std::size_t i = 1; i < numbers.size(); ++i) {
    if (numbers[i] > 0xFFFFFFFFu) return false;
    for (int b = 0; b < 4; ++b)
      (*sid)[8 + 4 * (i - 1) + b] = static_cast<std::uint8_t>(numbers[i] >> (8 * b));
  }
  return true;
}

SimSecurity::SimSecurity(SimProcess& process, SimObjectTable& objects, SimFiles& files)
    : process_(process), objects_(objects), files_(files), tokenUser_(SidOf(simsid::kUser)) {
  accounts_ = {{SidOf(simsid::kSystem), L"NT AUTHORITY", L"SYSTEM"},
               {SidOf(simsid::kAdministrators), L"BUILTIN", L"Administrators"},
               {SidOf(simsid::kUsers), L"BUILTIN", L"Users"},
               {SidOf(simsid::kEveryone), L"", L"Everyone"},
               {SidOf(simsid::kUser), L"TAMBER-PC", L"User"}};
}

void SimSecurity::SetAccount(const SimAccount& account) {
  for (SimAccount& known : accounts_)
    if (known.sid == account.sid) {
      known = account;
      return;
    }
  accounts_.push_back(account);
}

const SimAccount* SimSecurity::AccountOf(const Sid& sid) const {
  for (const SimAccount& account : accounts_)
    if (account.sid == sid) return &account;
  return nullptr;
}

bool SimSecurity::LookupAccountName(const std::wstring& name, Sid* sid, std::wstring* domain) {
  for (const SimAccount& account : accounts_) {
    if (!EqualsNoCase(name, account.name) && !EqualsNoCase(name, account.domain + L"\\" + account.name))
      continue;
    *sid = account.sid;
    *domain = account.domain;
    return Succeed();
  }
  process_.SetLastError(kErrorNoneMapped);
  return false;
}

bool SimSecurity::LookupAccountSid(const Sid& sid, std::wstring* account, std::wstring* domain) {
  if (Fails(SecurityCall::LookupAccountSid)) return false;
  const SimAccount* found = AccountOf(sid);
  if (found == nullptr) {
    process_.SetLastError(kErrorNoneMapped);
    return false;
  }
  *account = found->name;
  *domain = found->domain;
  return Succeed();
}

bool SimSecurity::SidToText(const Sid& sid, std::wstring* text) {
  if (Fails(SecurityCall::SidToText)) return false;
  *text = SidText(sid);
  if (text->empty()) {
    process_.SetLastError(err::InvalidParameter);
    return false;
  }
  return Succeed();
}

bool SimSecurity::ExistingKey(const std::wstring& path, std::wstring* key, std::wstring* full) const {
  if (!files_.FullPath(path, full)) return false;
  *full = WithoutTrailingSlash(*full);
  if (files_.Attributes(*full) == file::InvalidAttributes) return false;
  *key = UpperCase(*full);
  return true;
}

SimObjectSecurity SimSecurity::DefaultSecurity(const std::wstring& full) const {
  constexpr std::uint8_t kInheritedEverywhere =
      ace::Inherited | ace::ObjectInherit | ace::ContainerInherit;
  SimObjectSecurity security;
  security.path = full;
  security.owner = tokenUser_;
  security.dacl = {{ace::AccessAllowed, kInheritedEverywhere, access::FileAllAccess, SidOf(simsid::kSystem)},
                   {ace::AccessAllowed, kInheritedEverywhere, access::FileAllAccess, SidOf(simsid::kAdministrators)},
                   {ace::AccessAllowed, kInheritedEverywhere, access::FileAllAccess, tokenUser_},
                   {ace::AccessAllowed, kInheritedEverywhere, kReadAndExecute, SidOf(simsid::kUsers)}};
  return security;
}

SimObjectSecurity SimSecurity::ObjectSecurity(const std::wstring& path) const {
  std::wstring full;
  if (!files_.FullPath(path, &full)) full = path;
  full = WithoutTrailingSlash(full);
  auto found = secured_.find(UpperCase(full));
  return found == secured_.end() ? DefaultSecurity(full) : found->second;
}

SimObjectSecurity& SimSecurity::ObjectRecord(const std::wstring& key, const std::wstring& full) {
  auto found = secured_.find(key);
  if (found != secured_.end()) return found->second;
  return secured_.emplace(key, DefaultSecurity(full)).first->second;
}

void SimSecurity::SetOwner(const std::wstring& path, const Sid& owner) {
  const SimObjectSecurity current = ObjectSecurity(path);
  ObjectRecord(UpperCase(current.path), current.path).owner = owner;
}

void SimSecurity::SetDacl(const std::wstring& path, const AceList& dacl, bool daclProtected) {
  const SimObjectSecurity current = ObjectSecurity(path);
  SimObjectSecurity& record = ObjectRecord(UpperCase(current.path), current.path);
  record.dacl = dacl;
  record.daclProtected = daclProtected;
}

bool SimSecurity::ReadDacl(const std::wstring& path, AceList* aces) {
  aces->clear();
  if (Fails(SecurityCall::ReadDacl)) return false;
  std::wstring key, full;
  if (!ExistingKey(path, &key, &full)) return false;
  *aces = ObjectSecurity(full).dacl;
  return Succeed();
}

bool SimSecurity::WriteProtectedDacl(const std::wstring& path, const AceList& aces) {
  if (Fails(SecurityCall::WriteDacl)) return false;
  std::wstring key, full;
  if (!ExistingKey(path, &key, &full)) return false;
  ++daclWrites_;
  SimObjectSecurity& record = ObjectRecord(key, full);
  record.dacl.clear();
  // The system keeps only the entry types it can write, in canonical order.
  for (const Ace& entry : CanonicalOrder(aces))
    if (entry.type == ace::AccessAllowed || entry.type == ace::AccessDenied)
      record.dacl.push_back(entry);
  record.daclProtected = true;
  return Succeed();
}

bool SimSecurity::ReadOwner(const std::wstring& path, Sid* owner, OwnerReadStep* failedStep) {
  owner->clear();
  *failedStep = OwnerReadStep::Descriptor;
  if (Fails(SecurityCall::ReadOwnerDescriptor)) return false;
  std::wstring key, full;
  if (!ExistingKey(path, &key, &full)) return false;
  *failedStep = OwnerReadStep::Owner;
  if (Fails(SecurityCall::ReadOwnerSid)) return false;
  *owner = ObjectSecurity(full).owner;
  return Succeed();
}

bool SimSecurity::TokenUser(Handle token, Sid* user) {
  user->clear();
  if (Fails(SecurityCall::TokenUser)) return false;
  if (objects_.Find<SimToken>(token) == nullptr) {
    process_.SetLastError(err::InvalidHandle);
    return false;
  }
  *user = tokenUser_;
  return Succeed();
}

void SimSecurity::SetVolumeAcls(wchar_t letter, bool keepsAcls) {
  const wchar_t drive = UpperChar(letter);
  if (keepsAcls)
    drivesWithoutAcls_.erase(drive);
  else
    drivesWithoutAcls_.insert(drive);
}

bool SimSecurity::VolumePathName(const std::wstring& path, std::wstring* root) {
  root->clear();
  if (!volumePathFunction_) {
    process_.SetLastError(kErrorProcNotFound);
    return false;
  }
  std::wstring full;
  if (!files_.FullPath(path, &full)) return false;
  *root = StripToRoot(full);
  if (!root->empty() && root->back() != L'\\') *root += L'\\';
  return Succeed();
}

bool SimSecurity::VolumeFlags(const std::wstring& root, std::uint32_t* flags) {
  *flags = 0;
  if (Fails(SecurityCall::VolumeFlags)) return false;
  const std::vector<wchar_t> drives = files_.Drives();
  const bool onDrive = root.size() >= 2 && root[1] == L':';
  const wchar_t letter = onDrive ? UpperChar(root[0]) : 0;
  bool known = false;
  for (wchar_t drive : drives) known = known || UpperChar(drive) == letter;
  if (!known) {
    process_.SetLastError(err::PathNotFound);
    return false;
  }
  *flags = drivesWithoutAcls_.count(letter) ? kFatFlags : kNtfsFlags;
  return Succeed();
}

std::uint32_t SimSecurity::NextTakeOwnExitCode() {
  if (takeOwnExitCodes_.empty()) return elevated_ ? 0 : 1;
  const std::uint32_t exitCode = takeOwnExitCodes_.front();
  takeOwnExitCodes_.pop_front();
  return exitCode;
}

// takeown.exe /F "PATH" /R: the token's user owns PATH, and with /R all below it.
void SimSecurity::TakeOwnership(const std::wstring& commandLine) {
  const std::size_t open = commandLine.find(L"/F \"");
  if (open == std::wstring::npos) return;
  const std::size_t close = commandLine.find(L'"', open + 4);
  if (close == std::wstring::npos) return;
  const bool recursive = commandLine.find(L" /R", close) != std::wstring::npos;
  const SimObjectSecurity top = ObjectSecurity(commandLine.substr(open + 4, close - open - 4));
  const std::wstring key = UpperCase(top.path);
  ObjectRecord(key, top.path).owner = tokenUser_;
  if (!recursive) return;
  for (auto& [objectKey, record] : secured_)
    if (objectKey.rfind(key + L"\\", 0) == 0) record.owner = tokenUser_;
}

bool SimSecurity::StartWithoutWindow(const std::wstring& application,
                                     const std::wstring& commandLine, StartedProcess* started) {
  *started = StartedProcess();
  const bool takeOwn = EqualsNoCase(FileNamePart(application), L"takeown.exe");
  SimProgram program;
  if (takeOwn) program.exitCode = NextTakeOwnExitCode();
  if (takeOwn) processes_->SetProgram(application, program);
  if (!processes_->StartApplication(application, commandLine, started)) return false;
  if (takeOwn && program.exitCode == 0) TakeOwnership(commandLine);
  return true;
}

}  // namespace platform::sim
