#include "platform/sim/SimInstallerFacts.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/sim/SimRegistryText.h"
#include "platform/sim/SimText.h"

namespace platform::sim {
namespace {

std::vector<std::wstring> Fields(const std::wstring& text) {
  std::vector<std::wstring> fields;
  std::size_t start = 0;
  for (std::size_t bar; (bar = text.find(L'|', start)) != std::wstring::npos; start = bar + 1)
    fields.push_back(text.substr(start, bar - start));
  fields.push_back(text.substr(start));
  return fields;
}

bool ParseCode(const std::wstring& text, std::uint32_t* code) {
  if (text.empty() || text[0] == L'-') return false;
  const std::string narrow = WideToUtf8(text);
  char* end = nullptr;
  const unsigned long long value = std::strtoull(narrow.c_str(), &end, 0);
  if (*end != '\0' || value > 0xFFFFFFFFull) return false;
  *code = static_cast<std::uint32_t>(value);
  return true;
}

bool ApplyPackageCode(SimInstaller& installer, const std::string& key, const std::vector<std::wstring>& f) {
  std::uint32_t code = 0;
  if (f.size() != 2 || f[0].empty() || !ParseCode(f[1], &code)) return false;
  SimPackageBehaviour& package = installer.Package(f[0]);
  if (key == "msi-signature") package.signature = static_cast<HResult>(code);
  if (key == "msi-install-result") package.installResult = code;
  if (key == "msi-uninstall-result") package.uninstallResult = code;
  return true;
}

std::string Line(const std::string& key, const std::wstring& value) {
  return key + " = " + EscapeField(value) + "\n";
}

std::wstring Code(std::uint32_t code, bool hex) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, hex ? "0x%08X" : "%u", code);
  return Utf8ToWide(buffer);
}

}  // namespace

bool ApplyInstallerFact(SimInstaller& installer, const std::string& key, const std::string& value) {
  std::wstring text;
  if (!UnescapeField(value, &text)) return false;
  const std::vector<std::wstring> f = Fields(text);
  if (key == "installed-product") {
    if (f.size() != 4 || !IsBracedGuid(f[1])) return false;
    installer.AddProduct({f[0], f[1], f[2], f[3]});
    return true;
  }
  if (key == "msi-signature" || key == "msi-install-result" || key == "msi-uninstall-result")
    return ApplyPackageCode(installer, key, f);
  return false;
}

std::string InstallerFactsText(const SimInstaller& installer) {
  std::string out;
  for (const SimProduct& p : installer.Products())
    out += Line("installed-product",
                p.upgradeCode + L"|" + p.productCode + L"|" + p.version + L"|" + p.package);
  for (const auto& [name, package] : installer.Packages()) {
    if (package.signature)
      out += Line("msi-signature", name + L"|" + Code(static_cast<std::uint32_t>(*package.signature), true));
    if (package.installResult) out += Line("msi-install-result", name + L"|" + Code(*package.installResult, false));
    if (package.uninstallResult)
      out += Line("msi-uninstall-result", name + L"|" + Code(*package.uninstallResult, false));
  }
  return out;
}

}  // namespace platform::sim
