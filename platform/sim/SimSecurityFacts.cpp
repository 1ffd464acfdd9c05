#include "platform/sim/SimSecurityFacts.h"

#include <vector>

#include "platform/sim/SimFactFields.h"
#include "platform/sim/SimRegistryText.h"
#include "platform/sim/SimText.h"

namespace platform::sim {
namespace {

struct CallName {
  SecurityCall call;
  const wchar_t* name;
};
const CallName kCallNames[] = {
    {SecurityCall::OpenThreadToken, L"open-thread-token"},
    {SecurityCall::OpenProcessToken, L"open-process-token"},
    {SecurityCall::DuplicateToken, L"duplicate-token"},
    {SecurityCall::AllocateAndInitializeSid, L"allocate-sid"},
    {SecurityCall::InitializeSecurityDescriptor, L"initialize-security-descriptor"},
    {SecurityCall::InitializeAcl, L"initialize-acl"},
    {SecurityCall::AddAccessAllowedAce, L"add-access-allowed-ace"},
    {SecurityCall::SetSecurityDescriptorDacl, L"set-security-descriptor-dacl"},
    {SecurityCall::IsValidSecurityDescriptor, L"is-valid-security-descriptor"},
    {SecurityCall::AccessCheck, L"access-check"},
    {SecurityCall::LookupAccountSid, L"lookup-account-sid"},
    {SecurityCall::SidToText, L"sid-to-text"},
    {SecurityCall::ReadDacl, L"read-dacl"},
    {SecurityCall::WriteDacl, L"write-dacl"},
    {SecurityCall::ReadOwnerDescriptor, L"read-owner"},
    {SecurityCall::ReadOwnerSid, L"read-owner-sid"},
    {SecurityCall::TokenUser, L"token-user"},
    {SecurityCall::VolumeFlags, L"volume-flags"},
};

bool ParseSid(const std::wstring& text, Sid* sid) { return ParseSidText(text, sid); }

bool ParseAceType(const std::wstring& text, std::uint8_t* type) {
  if (text == L"allow") return *type = ace::AccessAllowed, true;
  if (text == L"deny") return *type = ace::AccessDenied, true;
  std::uint32_t number = 0;
  if (!ParseFactCode(text, &number) || number > 0xFF) return false;
  *type = static_cast<std::uint8_t>(number);
  return true;
}

bool ParseAce(const std::wstring& text, Ace* entry) {
  const std::vector<std::wstring> parts = FactFields(text, L' ');
  std::uint32_t flags = 0;
  if (parts.size() != 4 || !ParseAceType(parts[0], &entry->type) || !ParseFactCode(parts[1], &flags) ||
      flags > 0xFF || !ParseFactCode(parts[2], &entry->mask) || !ParseSid(parts[3], &entry->sid))
    return false;
  entry->flags = static_cast<std::uint8_t>(flags);
  return true;
}

bool ApplyDacl(SimSecurity& security, const std::vector<std::wstring>& f) {
  if (f.size() < 2 || f[0].empty() || (f[1] != L"protected" && f[1] != L"inherits")) return false;
  AceList dacl;
  for (std::size_t i = 2; i < f.size(); ++i) {
    Ace entry;
    if (!ParseAce(f[i], &entry)) return false;
    dacl.push_back(entry);
  }
  security.SetDacl(f[0], dacl, f[1] == L"protected");
  return true;
}

bool ApplyFailure(SimSecurity& security, const std::vector<std::wstring>& f) {
  std::uint32_t error = 0, times = 0;
  if (f.size() != 3 || !ParseFactCode(f[1], &error) || !ParseFactCode(f[2], &times)) return false;
  for (const CallName& entry : kCallNames)
    if (f[0] == entry.name) {
      security.FailCall(entry.call, error, static_cast<int>(times));
      return true;
    }
  return false;
}

bool ApplyFields(SimSecurity& security, const std::string& key, const std::vector<std::wstring>& f) {
  Sid sid;
  if (key == "account") {
    if (f.size() != 3 || f[2].empty() || !ParseSid(f[0], &sid)) return false;
    security.SetAccount({sid, f[1], f[2]});
    return true;
  }
  if (key == "token-user") {
    if (f.size() != 1 || !ParseSid(f[0], &sid)) return false;
    security.SetTokenUser(sid);
    return true;
  }
  if (key == "owner") {
    if (f.size() != 2 || f[0].empty() || !ParseSid(f[1], &sid)) return false;
    security.SetOwner(f[0], sid);
    return true;
  }
  if (key == "dacl") return ApplyDacl(security, f);
  if (key == "security-call-fails") return ApplyFailure(security, f);
  return false;
}

bool ApplySimpleFact(SimSecurity& security, const std::string& key, const std::wstring& text, bool* known) {
  *known = true;
  if (key == "volume-without-acls") {
    if (text.size() != 1 || UpperChar(text[0]) < L'A' || UpperChar(text[0]) > L'Z') return false;
    security.SetVolumeAcls(text[0], false);
    return true;
  }
  if (key == "volume-path-function") {
    if (text != L"yes" && text != L"no") return false;
    security.SetVolumePathFunctionPresent(text == L"yes");
    return true;
  }
  if (key == "takeown-exit-code") {
    std::uint32_t code = 0;
    if (!ParseFactCode(text, &code)) return false;
    security.QueueTakeOwnExitCode(code);
    return true;
  }
  *known = false;
  return false;
}

std::wstring DaclText(const SimObjectSecurity& object) {
  std::wstring text = object.path + (object.daclProtected ? L"|protected" : L"|inherits");
  for (const Ace& entry : object.dacl) text += L"|" + AceText(entry);
  return text;
}

}  // namespace

std::wstring AceText(const Ace& entry) {
  const std::wstring type = entry.type == ace::AccessAllowed  ? L"allow"
                            : entry.type == ace::AccessDenied ? L"deny"
                                                              : FactCode(entry.type, false);
  std::wstring flags = FactCode(entry.flags, true);
  flags.erase(2, 6);  // two hex digits: "0x13"
  return type + L" " + flags + L" " + FactCode(entry.mask, true) + L" " + SidText(entry.sid);
}

bool ApplySecurityFact(SimSecurity& security, const std::string& key, const std::string& value) {
  std::wstring text;
  if (!UnescapeField(value, &text)) return false;
  bool known = false;
  const bool applied = ApplySimpleFact(security, key, text, &known);
  if (known) return applied;
  return ApplyFields(security, key, FactFields(text));
}

std::string SecurityFactsText(const SimSecurity& security) {
  std::string out;
  for (const SimAccount& account : security.Accounts())
    out += FactLine("account", SidText(account.sid) + L"|" + account.domain + L"|" + account.name);
  out += FactLine("token-user", SidText(security.TokenUserSid()));
  for (const auto& [key, object] : security.SecurityRecords()) {
    out += FactLine("owner", object.path + L"|" + SidText(object.owner));
    out += FactLine("dacl", DaclText(object));
  }
  for (wchar_t drive : security.DrivesWithoutAcls()) out += FactLine("volume-without-acls", std::wstring(1, drive));
  out += FactLine("volume-path-function", security.HasVolumePathFunction() ? L"yes" : L"no");
  for (std::uint32_t code : security.TakeOwnExitCodes()) out += FactLine("takeown-exit-code", FactCode(code, false));
  for (const CallName& entry : kCallNames) {
    Win32Error error = 0;
    const int times = security.FailuresDue(entry.call, &error);
    if (times > 0)
      out += FactLine("security-call-fails", std::wstring(entry.name) + L"|" + FactCode(error, false) + L"|" +
                                                 FactCode(static_cast<std::uint32_t>(times), false));
  }
  return out;
}

}  // namespace platform::sim
