// "install" on the simulated machine with real packages built by wixl: the UI level, the
// package path, the copy into the installers folder, the signature check and the
// installer's return code.
#include <gtest/gtest.h>

#include <optional>

#include "platform/Installer.h"
#include "setup/session/Paths.h"
#include "tests/unit/commands/installer/InstallerTestSupport.h"

namespace {

using namespace installertest;

const PackageIdentity kPackageA{kProductA1, kUpgradeA, L"4.2.0.15"};
const std::string kCategory = "\tRunCommandInstall\t";

std::string Utf8(const std::wstring& text) { return text::WideToUtf8(text); }

class InstallCommand : public InstallerTest {
 protected:
  std::size_t InstallCount() { return sim().installer().Installs().size(); }
  const platform::sim::SimInstallCall& LastInstall() { return sim().installer().Installs().back(); }
  bool IsInstalledA() {
    std::wstring product;
    return sim().installer().EnumRelatedProducts(kUpgradeA, 0, &product) == 0 && product == kProductA1;
  }
};

TEST_F(InstallCommand, UiLevelFromTheKeywordOrBasicWhenQuiet) {
  struct Case {
    bool quiet;
    const wchar_t* parameter;
    std::uint32_t level;
  };
  const Case cases[] = {
      {false, L"|ui-level=default", 1},      {false, L"|ui-level=none", 2},
      {false, L"|ui-level=basic", 3},        {false, L"|ui-level=reduced", 4},
      {false, L"|ui-level=full", 5},         {false, L"|ui-level=enddialog", 128},
      {false, L"|ui-level=progressonly", 64}, {false, L"|ui-level=hidecancel", 32},
      {false, L"|ui-level=sourceresonly", 256}, {false, L"", 3},
      {false, L"|ui-level=", 3},             {false, L"|ui-level=Full", 3},
      {false, L"|ui-level=basic hidecancel", 3}, {true, L"|ui-level=full", 3},
      {true, L"", 3},
  };
  PutPackage(kWorkingFolder + L"a.msi", kPackageA);
  const std::string overrideLine =
      "Info" + kCategory +
      "Overriding Windows Installer UI level, setting to basic (-quiet command line switch specified).";
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.parameter) + (c.quiet ? " quiet" : ""));
    ClearLog();
    state_.quiet = c.quiet;
    Install(std::wstring(L"install|package=a.msi") + c.parameter);
    ASSERT_EQ(Param(L"result"), L"success");
    EXPECT_EQ(LastInstall().uiLevel, c.level);
    EXPECT_EQ(Logged(overrideLine), c.quiet);
    EXPECT_TRUE(Logged("Info" + kCategory + "Installing package '" + Utf8(kInstallers) +
                       "a.msi' with command line '', UI level '" + std::to_string(c.level) + "'."));
  }
}

TEST_F(InstallCommand, PackagePathRenderedOrTakenFromTheWorkingFolder) {
  struct Case {
    const wchar_t* parameter;
    const wchar_t* putAt;  // where the package lies; null: nowhere
    const wchar_t* path;   // the package path the handler arrives at
    bool found;
  };
  const Case cases[] = {
      {L"|package=a.msi", L"C:\\Users\\User\\Downloads\\a.msi", L"C:\\Users\\User\\Downloads\\a.msi", true},
      {L"|package=Packages\\b.msi", L"C:\\Users\\User\\Downloads\\Packages\\b.msi",
       L"C:\\Users\\User\\Downloads\\Packages\\b.msi", true},
      {L"|package=Packages/c.msi", L"C:\\Users\\User\\Downloads\\Packages\\c.msi",
       L"C:\\Users\\User\\Downloads\\Packages/c.msi", true},
      {L"|package=%PackageA%", L"C:\\Cache\\pa.msi", L"C:\\Cache\\pa.msi", true},
      {L"|package=%LocalAppDataFolder%\\Pkg\\d.msi", L"C:\\Users\\User\\AppData\\Local\\Pkg\\d.msi",
       L"C:\\Users\\User\\AppData\\Local\\Pkg\\d.msi", true},
      // An absolute path is prefixed like any other.
      {L"|package=C:\\Pkgs\\e.msi", L"C:\\Pkgs\\e.msi", L"C:\\Users\\User\\Downloads\\C:\\Pkgs\\e.msi", false},
      {L"|package=%Nowhere%\\f.msi", nullptr, L"%Nowhere%\\f.msi", false},
      {L"", nullptr, L"C:\\Users\\User\\Downloads\\", false},
      {L"|package=missing.msi", nullptr, L"C:\\Users\\User\\Downloads\\missing.msi", false},
      {L"|package=folder.msi", nullptr, L"C:\\Users\\User\\Downloads\\folder.msi", false},
  };
  state_.specialFolders[L"%PackageA%"] = L"C:\\Cache\\pa.msi";
  sim().files().MakeFolders(kWorkingFolder + L"folder.msi");
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.parameter));
    ClearLog();
    if (c.putAt != nullptr) PutPackage(c.putAt, kPackageA);
    const std::size_t before = InstallCount();
    Install(std::wstring(L"install") + c.parameter);
    if (c.found) {
      const std::wstring copy = kInstallers + setup::FileNamePart(c.putAt);
      EXPECT_EQ(Param(L"result"), L"success");
      ASSERT_EQ(InstallCount(), before + 1);
      EXPECT_EQ(LastInstall().package, copy);
      EXPECT_TRUE(Logged("Info" + kCategory + "Copying source installer file from '" + Utf8(c.path) +
                         "' to '" + Utf8(copy) + "'."));
    } else {
      EXPECT_EQ(Param(L"result"), L"failure");
      EXPECT_FALSE(HasParam(L"msi-result"));
      EXPECT_EQ(InstallCount(), before);
      EXPECT_TRUE(Logged("Error" + kCategory + "Installer file not found '" + Utf8(c.path) +
                         "', skipping installation."));
    }
  }
}

TEST_F(InstallCommand, CopyIntoTheInstallersFolderUnlessAlreadyThere) {
  struct Case {
    const wchar_t* parameter;
    const wchar_t* package;   // the package's full path
    const char* staleCopy;    // bytes already in the installers folder under its name
    platform::Win32Error copyFails;  // the copy's path fails with this error; 0: it works
    bool installsFromCopy;
    bool copyLogged;  // "Copying source installer file ..."
  };
  const std::string installers = Utf8(kInstallers);
  const std::string copying = "Copying source installer file from 'C:\\Users\\User\\Downloads\\";
  const Case cases[] = {
      {L"a.msi", L"C:\\Users\\User\\Downloads\\a.msi", nullptr, 0, true, true},
      {L"%LocalAppDataFolder%\\Tamber4\\Install\\Installers\\b.msi",
       L"C:\\Users\\User\\AppData\\Local\\Tamber4\\Install\\Installers\\b.msi", nullptr, 0, true, false},
      {L"c.msi", L"C:\\Users\\User\\Downloads\\c.msi", "an older package", 0, true, true},
      {L"d.msi", L"C:\\Users\\User\\Downloads\\d.msi", nullptr, 5, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.parameter));
    ClearLog();
    sim().files().ClearFailures();
    PutPackage(c.package, kPackageA);
    const std::wstring name = setup::FileNamePart(c.package);
    const std::wstring copy = kInstallers + name;
    if (c.staleCopy != nullptr) sim().PutFile(copy, c.staleCopy);
    if (c.copyFails != 0) sim().files().FailPath(copy, c.copyFails);
    Install(std::wstring(L"install|package=") + c.parameter);
    EXPECT_EQ(Param(L"result"), L"success");
    EXPECT_EQ(LastInstall().package, c.installsFromCopy ? copy : std::wstring(c.package));
    EXPECT_EQ(CountLogged("Info" + kCategory + copying + Utf8(name) + "' to '" + installers + Utf8(name) + "'."),
              c.copyLogged ? 1 : 0);
    if (c.installsFromCopy) EXPECT_EQ(sim().FileBytes(copy), sim().FileBytes(c.package));
    if (c.copyFails != 0)
      EXPECT_TRUE(Logged("Error" + kCategory + "Copy failed, installing from '" + Utf8(c.package) +
                         "'. Error code 0x5, 'Access is denied.'."));
  }
  EXPECT_NE(sim().files().Attributes(kInstallers) & platform::file::AttributeDirectory, 0u);
}

TEST_F(InstallCommand, InstallersFolderIsCreatedOneLevelOnly) {
  // The working copies' folder is gone: the installers folder cannot be made in it, so the
  // copy fails and the package is installed from where it lies.
  state_.targetFolder = L"C:\\Gone\\Install\\";
  PutPackage(kWorkingFolder + L"a.msi", kPackageA);
  Install(L"install|package=a.msi");
  EXPECT_EQ(Param(L"result"), L"success");
  EXPECT_EQ(LastInstall().package, kWorkingFolder + L"a.msi");
  EXPECT_EQ(sim().files().Attributes(L"C:\\Gone"), platform::file::InvalidAttributes);
  EXPECT_TRUE(Logged("Error" + kCategory +
                     "Copy failed, installing from 'C:\\Users\\User\\Downloads\\a.msi'. Error code 0x3, "
                     "'The system cannot find the path specified.'."));
}

TEST_F(InstallCommand, SignatureCodeDecidesWhetherThePackageIsInstalled) {
  struct Case {
    std::uint32_t code;
    bool withMessage;
    std::string logged;  // severity, category and message with '#' for the copy's path
    bool installed;
  };
  const Case cases[] = {
      {0, true, "Info\tVerified digital signature and file hash of '#'.", true},
      {0x80096010u, true,
       "Error\tInstaller file's file hash does not match that stored in its digital signature: '#'.", false},
      {0x80096010u, false,
       "Error\tInstaller file's file hash does not match that stored in its digital signature: '#'.", false},
      {0x800B0100u, true, "Warning\tInstaller file is not digitally signed, could not verify file hash: '#'.", true},
      {0x800B010Cu, true, "Warning\tInstaller file is signed with a certificate which has been revoked.", true},
      {1627, true,
       "Warning\tWinVerifyTrus is not installed on this system, could not verify digital signature and file "
       "hash of '#'.",
       true},
      {0x80070005u, true,
       "Warning\tUnexpected result when verifying digital signature of '#', return code is 0x80070005.", true},
  };
  PutPackage(kWorkingFolder + L"a.msi", kPackageA);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.logged);
    ClearLog();
    if (IsInstalledA()) sim().installer().ConfigureProduct(kProductA1, 0, platform::msi::InstallStateAbsent, L"");
    state_.abortRequested = false;
    const std::size_t boxes = sim().Boxes().size();
    sim().installer().Package(L"a.msi").signature = static_cast<platform::HResult>(c.code);
    std::wstring line = L"install|package=a.msi|name=Tamber Viewer|title=Setup|icon=error";
    if (c.withMessage) line += L"|message-hash-mismatch=\"%NAME%\" is damaged (%NAME%).";
    Install(line);
    std::string logged = c.logged;
    const std::size_t tab = logged.find('\t');
    logged.replace(tab, 1, kCategory);
    if (logged.find('#') != std::string::npos) logged.replace(logged.find('#'), 1, Utf8(kInstallers + L"a.msi"));
    EXPECT_TRUE(Logged(logged));
    EXPECT_EQ(IsInstalledA(), c.installed);
    EXPECT_EQ(Param(L"result"), c.installed ? L"success" : L"failure");
    EXPECT_EQ(HasParam(L"msi-result"), c.installed);
    EXPECT_EQ(state_.abortRequested, !c.installed);
    EXPECT_EQ(sim().installer().OpenCertificates(), 0u);
    const bool box = !c.installed && c.withMessage;
    ASSERT_EQ(sim().Boxes().size(), boxes + (box ? 1 : 0));
    if (box) {
      EXPECT_EQ(sim().Boxes().back().request.text, L"\"Tamber Viewer\" is damaged (%NAME%).");
      EXPECT_EQ(sim().Boxes().back().request.title, L"Setup");
    }
  }
}

TEST_F(InstallCommand, ReturnCodeGivesResultRestartAndAbort) {
  struct Case {
    std::optional<platform::Win32Error> installerSays;  // none: the real package decides
    const wchar_t* parameters;
    bool garbage;  // the package file is not an installer database
    const wchar_t* result;
    const wchar_t* msiResult;
    std::int32_t rebootMode;
    bool abort;
    const wchar_t* box;  // the failure box's text; null: no box
  };
  const Case cases[] = {
      {std::nullopt, L"", false, L"success", L"0", 0, false, nullptr},
      {3010, L"", false, L"success", L"3010", 1, false, nullptr},
      {3010, L"|abort-on-failure=yes|message=Failed.", false, L"success", L"3010", 1, false, nullptr},
      {1603, L"", false, L"failure", L"1603", 0, false, nullptr},
      {1603, L"|abort-on-failure=yes|message=Failed.", false, L"failure", L"1603", 0, true, L"Failed."},
      {1618, L"|abort-on-failure=yes", false, L"failure", L"1618", 0, true, nullptr},
      {1603, L"|abort-on-failure=Yes|message=Failed.", false, L"failure", L"1603", 0, false, nullptr},
      {std::nullopt, L"|abort-on-failure=yes", true, L"failure", L"1620", 0, true, nullptr},
  };
  PutPackage(kWorkingFolder + L"a.msi", kPackageA);
  sim().PutFile(kWorkingFolder + L"broken.msi", "this is not an installer database");
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.msiResult) + Utf8(c.parameters));
    ClearLog();
    state_.abortRequested = false;
    state_.rebootMode = 0;
    const std::size_t boxes = sim().Boxes().size();
    const std::wstring file = c.garbage ? L"broken.msi" : L"a.msi";
    sim().installer().Package(file).installResult = c.installerSays;
    Install(L"install|package=" + file + L"|title=Setup" + c.parameters);
    EXPECT_EQ(Param(L"result"), c.result);
    EXPECT_EQ(Param(L"msi-result"), c.msiResult);
    EXPECT_EQ(state_.rebootMode, c.rebootMode);
    EXPECT_EQ(state_.abortRequested, c.abort);
    EXPECT_TRUE(Logged("Info" + kCategory + "MsiInstallProductW returned " + Utf8(c.msiResult) + ": " +
                       Utf8(c.result)));
    EXPECT_EQ(Logged("Info" + kCategory + "Flagging for reboot at next reboot command."), c.rebootMode == 1);
    EXPECT_EQ(Logged("Error" + kCategory +
                     "The Windows Installer return code must be ERROR_SUCCESS (0) to succeed. Flagging for abort."),
              c.abort);
    ASSERT_EQ(sim().Boxes().size(), boxes + (c.box != nullptr ? 1 : 0));
    if (c.box != nullptr) EXPECT_EQ(sim().Boxes().back().request.text, c.box);
  }
}

TEST_F(InstallCommand, ThePackagesOwnCodesAndVersionAreInstalled) {
  PutPackage(kWorkingFolder + L"a.msi", kPackageA);
  Install(L"install|package=a.msi");
  ASSERT_EQ(sim().installer().Products().size(), 1u);
  const platform::sim::SimProduct& product = sim().installer().Products()[0];
  EXPECT_EQ(product.productCode, kProductA1);
  EXPECT_EQ(product.upgradeCode, kUpgradeA);
  EXPECT_EQ(product.version, L"4.2.0.15");
  EXPECT_EQ(product.package, kInstallers + L"a.msi");
}

}  // namespace
