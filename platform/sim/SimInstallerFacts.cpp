#include "platform/sim/SimInstallerFacts.h"

#include <vector>

#include "platform/sim/SimFactFields.h"
#include "platform/sim/SimRegistryText.h"
#include "platform/sim/SimText.h"

namespace platform::sim {
namespace {

bool ApplyPackageCode(SimInstaller& installer, const std::string& key, const std::vector<std::wstring>& f) {
  std::uint32_t code = 0;
  if (f.size() != 2 || f[0].empty() || !ParseFactCode(f[1], &code)) return false;
  SimPackageBehaviour& package = installer.Package(f[0]);
  if (key == "msi-signature") package.signature = static_cast<HResult>(code);
  if (key == "msi-install-result") package.installResult = code;
  if (key == "msi-uninstall-result") package.uninstallResult = code;
  return true;
}

}  // namespace

bool ApplyInstallerFact(SimInstaller& installer, const std::string& key, const std::string& value) {
  std::wstring text;
  if (!UnescapeField(value, &text)) return false;
  const std::vector<std::wstring> f = FactFields(text);
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
    out += FactLine("installed-product",
                p.upgradeCode + L"|" + p.productCode + L"|" + p.version + L"|" + p.package);
  for (const auto& [name, package] : installer.Packages()) {
    if (package.signature)
      out += FactLine("msi-signature", name + L"|" + FactCode(static_cast<std::uint32_t>(*package.signature), true));
    if (package.installResult) out += FactLine("msi-install-result", name + L"|" + FactCode(*package.installResult, false));
    if (package.uninstallResult)
      out += FactLine("msi-uninstall-result", name + L"|" + FactCode(*package.uninstallResult, false));
  }
  return out;
}

}  // namespace platform::sim
