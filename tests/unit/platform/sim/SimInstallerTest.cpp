// The simulated Windows Installer: an installation reads the real package built by wixl, and
// the machine description's installer lines come back as they were written.
#include <gtest/gtest.h>

#include <optional>

#include "platform/sim/SimInstallerFacts.h"
#include "platform/sim/SimTestSupport.h"
#include "tests/unit/support/WixlPackages.h"

namespace {

using platform::sim::SimInstaller;

const std::wstring kUpgrade = L"{A1A1A1A1-0000-4000-8000-00000000000A}";
const std::wstring kProduct = L"{A1000001-0000-4000-8000-0000000000A1}";

class SimInstallerTest : public platform::sim::SimMachineTest {
 protected:
  void SetUp() override {
    if (!installertest::WixlAvailable()) GTEST_SKIP() << installertest::WixlMissingReason();
  }
};

TEST_F(SimInstallerTest, InstallationReadsThePackageOrFailsAsWindowsInstallerDoes) {
  enum class File { Package, NotADatabase, Missing };
  struct Case {
    File file;
    std::optional<platform::Win32Error> configured;
    platform::Win32Error expected;
    bool installed;
  };
  const Case cases[] = {
      {File::Package, std::nullopt, 0, true},
      {File::Package, 3010, 3010, true},
      {File::Package, 1603, 1603, false},
      {File::Package, 1618, 1618, false},
      {File::NotADatabase, std::nullopt, 1620, false},
      {File::Missing, std::nullopt, 1619, false},
  };
  const std::string& package = installertest::WixlPackage({kProduct, kUpgrade, L"4.2.0.15"});
  ASSERT_FALSE(package.empty()) << "wixl could not build the package";
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(index);
    SimInstaller& installer = sim().installer();
    while (!installer.Products().empty())
      installer.ConfigureProduct(installer.Products()[0].productCode, 0, platform::msi::InstallStateAbsent, L"");
    const std::wstring path = L"C:\\Packages\\p" + std::to_wstring(index++) + L".msi";
    if (c.file == File::Package) sim().PutFile(path, package);
    if (c.file == File::NotADatabase) sim().PutFile(path, "MZ but no installer database");
    installer.Package(path.substr(path.rfind(L'\\') + 1)).installResult = c.configured;
    EXPECT_EQ(installer.InstallProduct(path, L""), c.expected);
    ASSERT_EQ(installer.Products().size(), c.installed ? 1u : 0u);
    if (!c.installed) continue;
    EXPECT_EQ(installer.Products()[0].productCode, kProduct);
    EXPECT_EQ(installer.Products()[0].upgradeCode, kUpgrade);
    EXPECT_EQ(installer.Products()[0].version, L"4.2.0.15");
    EXPECT_EQ(installer.Products()[0].package, path);
  }
}

TEST_F(SimInstallerTest, ANewerPackageOfTheSameProductReplacesItsRecord) {
  for (const wchar_t* version : {L"4.2.0.15", L"4.3"}) {
    const std::wstring path = std::wstring(L"C:\\Packages\\") + version + L".msi";
    sim().PutFile(path, installertest::WixlPackage({kProduct, kUpgrade, version}));
    ASSERT_EQ(sim().installer().InstallProduct(path, L""), 0u);
  }
  ASSERT_EQ(sim().installer().Products().size(), 1u);
  std::wstring version;
  EXPECT_EQ(sim().installer().GetProductInfo(kProduct, L"VersionString", 50, &version), 0u);
  EXPECT_EQ(version, L"4.3");
}

TEST(SimInstallerFacts, MachineDescriptionLines) {
  struct Case {
    const char* key;
    const char* value;
    bool accepted;
  };
  const Case cases[] = {
      {"installed-product", "{A1A1A1A1-0000-4000-8000-00000000000A}|{A1000001-0000-4000-8000-0000000000A1}|4.2|C:\\p.msi",
       true},
      {"installed-product", "{A1A1A1A1-0000-4000-8000-00000000000A}|A1000001|4.2|C:\\p.msi", false},
      {"installed-product", "{A1A1A1A1-0000-4000-8000-00000000000A}|{A1000001-0000-4000-8000-0000000000A1}|4.2", false},
      {"msi-signature", "tampered.msi|0x80096010", true},
      {"msi-signature", "tampered.msi|bad", false},
      {"msi-install-result", "failing.msi|1603", true},
      {"msi-install-result", "|1603", false},
      {"msi-install-result", "failing.msi|-1", false},
      {"msi-uninstall-result", "failing.msi|3010", true},
      {"msi-uninstall-results", "failing.msi|3010", false},
  };
  platform::sim::SimTempFolder folder;
  platform::sim::SimMachine machine(folder.path());
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " = " + c.value);
    EXPECT_EQ(platform::sim::ApplyInstallerFact(machine.installer(), c.key, c.value), c.accepted);
  }
  // Package names are kept in upper case: Windows compares file names without regard to case.
  EXPECT_EQ(platform::sim::InstallerFactsText(machine.installer()),
            "installed-product = {A1A1A1A1-0000-4000-8000-00000000000A}|{A1000001-0000-4000-8000-0000000000A1}|4.2|"
            "C:\\p.msi\n"
            "msi-install-result = FAILING.MSI|1603\n"
            "msi-uninstall-result = FAILING.MSI|3010\n"
            "msi-signature = TAMPERED.MSI|0x80096010\n");
}

}  // namespace
