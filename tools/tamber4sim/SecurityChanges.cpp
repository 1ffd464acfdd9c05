#include "tools/tamber4sim/SecurityChanges.h"

#include "platform/sim/SimSecurityFacts.h"
#include "platform/sim/SimText.h"

namespace tamber4sim {
namespace {

using platform::sim::SimObjectSecurity;

bool Same(const SimObjectSecurity& a, const SimObjectSecurity& b) {
  return a.owner == b.owner && a.dacl == b.dacl && a.daclProtected == b.daclProtected;
}

// "DOMAIN\name" of a SID the machine knows, else its text.
std::wstring AccountOf(platform::sim::SimSecurity& security, const platform::Sid& sid) {
  std::wstring account, domain;
  if (!security.LookupAccountSid(sid, &account, &domain)) return platform::sim::SidText(sid);
  return domain.empty() ? account : domain + L"\\" + account;
}

std::wstring Describe(platform::sim::SimSecurity& security, const SimObjectSecurity& object) {
  std::wstring text = L"security of '" + object.path + L"': owner " + AccountOf(security, object.owner) +
                      L", DACL (" + (object.daclProtected ? L"protected" : L"inherits") + L")";
  const wchar_t* separator = L" ";
  for (const platform::Ace& entry : object.dacl) {
    std::wstring shown = platform::sim::AceText(entry);
    shown.replace(shown.rfind(L' ') + 1, std::wstring::npos, AccountOf(security, entry.sid));
    text += separator + shown;
    separator = L"; ";
  }
  return text;
}

}  // namespace

SecurityChanges::SecurityChanges(platform::sim::SimMachine& machine)
    : machine_(machine), before_(machine.security().SecurityRecords()) {}

void SecurityChanges::Print(std::FILE* out) const {
  platform::sim::SimSecurity& security = machine_.security();
  for (const auto& [key, object] : security.SecurityRecords()) {
    const auto found = before_.find(key);
    if (found != before_.end() && Same(found->second, object)) continue;
    std::fprintf(out, "tamber4sim: %s\n", platform::sim::WideToUtf8(Describe(security, object)).c_str());
  }
}

}  // namespace tamber4sim
