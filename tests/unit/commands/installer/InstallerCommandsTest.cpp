// The language transform of install and uninstall lines, "if-installed" and
// "if-not-installed" against products installed from real packages, "uninstall" and
// "enable-msi-log" on the simulated machine.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "logging/Log.h"
#include "platform/Installer.h"
#include "setup/session/Paths.h"
#include "tests/unit/commands/installer/InstallerTestSupport.h"

namespace {

using namespace installertest;

std::string Utf8(const std::wstring& text) { return text::WideToUtf8(text); }

class InstallerCommands : public InstallerTest {
 protected:
  void TearDown() override {
    logging::LogSeverityMask.store(savedMask_);
    InstallerTest::TearDown();
  }

  // Removes every product, whatever removal result a case gave its package.
  void RemoveAllProducts() {
    platform::sim::SimInstaller& installer = sim().installer();
    while (!installer.Products().empty()) {
      const platform::sim::SimProduct product = installer.Products()[0];
      installer.Package(setup::FileNamePart(product.package)).uninstallResult.reset();
      ASSERT_EQ(installer.ConfigureProduct(product.productCode, 0, platform::msi::InstallStateAbsent, L""), 0u);
    }
  }
  bool IsInstalled(const std::wstring& productCode) {
    for (const platform::sim::SimProduct& product : sim().installer().Products())
      if (product.productCode == productCode) return true;
    return false;
  }
  // Runs a conditional line as the interpreter does (no preset result); returns whether the
  // block is entered.
  bool Check(const std::wstring& text) {
    line_ = setup::CommandParameters();
    line_.Parse(text);
    return line_.GetParameter(L"") == L"if-installed" ? setup::RunCommandIfInstalled(line_)
                                                       : setup::RunCommandIfNotInstalled(line_);
  }
  std::size_t CountStartingWith(const std::string& prefix) {
    std::size_t count = 0;
    for (const std::string& message : Messages()) count += message.rfind(prefix, 0) == 0;
    return count;
  }

  std::uint32_t savedMask_ = logging::LogSeverityMask.load();
};

TEST_F(InstallerCommands, TransformOfTheRunOrOfTheLine) {
  struct Case {
    const wchar_t* runTransform;
    const wchar_t* langid;  // null: the line has no transform-langid
    const wchar_t* commandLine;
    const wchar_t* passed;  // the command line given to the installer
    const char* logged;     // GetTransformOverride's line; null: none
  };
  const char* kUsing =
      "Info\tGetTransformOverride\tUsing transform file 'es-es.mst' specified by the 'transform-langid' "
      "parameter's 0x0c0a value.";
  const std::string unsupported = "Warning\tGetTransformOverride\tTransform Language ID '0x";
  const std::string tail = "' specified by the 'transform-langid' parameter is not supported by this installer.";
  const std::string w0409 = unsupported + "0409" + tail, w0000 = unsupported + "0000" + tail,
                    w000a = unsupported + "000a" + tail, w10c0a = unsupported + "10c0a" + tail;
  const Case cases[] = {
      {L"", nullptr, L"", L"", nullptr},
      {L"", nullptr, L"REBOOT=ReallySuppress", L"REBOOT=ReallySuppress", nullptr},
      {L"es-es.mst", nullptr, L"", L" TRANSFORMS=:es-es.mst", nullptr},
      {L"es-es.mst", nullptr, L"REBOOT=ReallySuppress", L"REBOOT=ReallySuppress TRANSFORMS=:es-es.mst", nullptr},
      {L"es-es.mst", L"1033", L"", L" TRANSFORMS=:es-es.mst", w0409.c_str()},
      {L"", L"3082", L"A=1", L"A=1 TRANSFORMS=:es-es.mst", kUsing},
      {L"", L"3082 and more", L"", L" TRANSFORMS=:es-es.mst", kUsing},
      {L"", L"", L"", L"", w0000.c_str()},
      {L"es-es.mst", L"abc", L"", L" TRANSFORMS=:es-es.mst", w0000.c_str()},
      {L"", L"10", L"", L"", w000a.c_str()},
      {L"", L"68618", L"", L"", w10c0a.c_str()},
  };
  PutPackage(kWorkingFolder + L"a.msi", {kProductA1, kUpgradeA, L"4.2.0.15"});
  for (const Case& c : cases) {
    const std::wstring langid = c.langid != nullptr ? std::wstring(L"|transform-langid=") + c.langid : L"";
    SCOPED_TRACE(Utf8(c.runTransform) + Utf8(langid));
    ClearLog();
    state_.transformName = c.runTransform;
    const std::wstring rest = std::wstring(L"|command-line=") + c.commandLine + langid;
    Install(L"install|package=a.msi" + rest);
    EXPECT_EQ(sim().installer().Installs().back().commandLine, c.passed);
    Uninstall(L"uninstall|product=" + kProductA1 + rest);
    EXPECT_EQ(Param(L"result"), L"success");
    EXPECT_TRUE(Logged("Info\tRunCommandUninstall\tUninstalling product '" + Utf8(kProductA1) +
                       "' with command line '" + Utf8(c.passed) + "'."));
    EXPECT_EQ(CountStartingWith("Info\tGetTransformOverride\t") + CountStartingWith("Warning\tGetTransformOverride\t"),
              c.logged != nullptr ? 2u : 0u);
    if (c.logged != nullptr) EXPECT_EQ(CountLogged(c.logged), 2);
  }
}

TEST_F(InstallerCommands, InstalledMeansTheFirstRelatedProductInAtLeastTheVersion) {
  struct Case {
    std::vector<PackageIdentity> installed;  // in the order they were installed
    const wchar_t* required;
    bool isInstalled;
  };
  const Case cases[] = {
      {{{kProductA1, kUpgradeA, L"4.2.0.15"}}, L"4.2.0.9", true},
      {{{kProductA1, kUpgradeA, L"4.2.0.15"}}, L"4.2.0.15", true},
      {{{kProductA1, kUpgradeA, L"4.2.0.15"}}, L"4.2.0.16", false},
      {{{kProductA1, kUpgradeA, L"4.2"}}, L"4.2.0.9", true},
      {{{kProductA1, kUpgradeA, L"4.1.9"}}, L"4.2", false},
      {{{kProductA1, kUpgradeA, L"4.10"}}, L"4.9", true},
      {{{kProductA1, kUpgradeA, L"4.2"}}, L"4.2b", true},
      {{}, L"1.0", false},
      {{{kProductB1, kUpgradeB, L"9.0"}}, L"1.0", false},
      {{{kProductA1, kUpgradeA, L"4.1"}, {kProductA2, kUpgradeA, L"5.0"}}, L"5.0", false},
      {{{kProductA2, kUpgradeA, L"5.0"}, {kProductA1, kUpgradeA, L"4.1"}}, L"5.0", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.required) + " with " + std::to_string(c.installed.size()) + " installed");
    ClearLog();
    RemoveAllProducts();
    int index = 0;
    for (const PackageIdentity& identity : c.installed) Preinstall(identity, std::to_wstring(index++) + L".msi");
    const std::wstring parameters = L"|upgrade-code=" + kUpgradeA + L"|version=" + c.required;
    EXPECT_EQ(Check(L"if-installed" + parameters), c.isInstalled);
    EXPECT_EQ(Param(L"result"), c.isInstalled ? L"" : L"success");
    EXPECT_EQ(Check(L"if-not-installed" + parameters), !c.isInstalled);
    EXPECT_EQ(Param(L"result"), c.isInstalled ? L"success" : L"");
    EXPECT_EQ(CountLogged(c.isInstalled ? "Info\tIsProductInstalled\tProduct is installed."
                                        : "Info\tIsProductInstalled\tProduct is not installed."),
              2);
    const bool related = !c.installed.empty() && c.installed[0].upgradeCode == kUpgradeA;
    if (related)
      EXPECT_EQ(CountLogged("Info\tIsProductInstalled\tFound installed msi with Product Code '" +
                            Utf8(c.installed[0].productCode) + "'."),
                2);
    else
      EXPECT_EQ(CountLogged("Info\tIsProductInstalled\tMsiEnumRelatedProductsW reports not installed "
                            "(returned ERROR_NO_MORE_ITEMS)."),
                2);
    EXPECT_EQ(CountLogged(c.isInstalled ? "Info\tRunCommandIfNotInstalled\tSkipping if block."
                                        : "Info\tRunCommandIfInstalled\tSkipping if block."),
              1);
  }
}

TEST_F(InstallerCommands, InstalledVersionTooLongForItsBufferCountsAsNotInstalled) {
  struct Case {
    std::size_t versionLength;
    bool isInstalled;
  };
  const Case cases[] = {{49, true}, {50, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.versionLength);
    ClearLog();
    RemoveAllProducts();
    // A version as long as this comes only from the machine description, not from a package.
    sim().installer().AddProduct({kUpgradeA, kProductA1, L"5." + std::wstring(c.versionLength - 2, L'1'),
                                  L"C:\\Preinstalled\\a.msi"});
    EXPECT_EQ(Check(L"if-installed|upgrade-code=" + kUpgradeA + L"|version=4.2"), c.isInstalled);
    EXPECT_EQ(Logged("Error\tIsProductInstalled\tMsiGetProductInfoW called with 'VersionString' failed with "
                     "return value 234 (not ERROR_UNKNOWN_PROPERTY)."),
              !c.isInstalled);
  }
}

TEST_F(InstallerCommands, MissingOrBadParametersCountAsNotInstalled) {
  struct Case {
    std::wstring text;
    bool enters;
    const wchar_t* result;
    std::string logged;
  };
  const std::wstring upgrade = L"|upgrade-code=" + kUpgradeA;
  const Case cases[] = {
      {L"if-installed|version=1.0", false, L"success",
       "Error\tRunCommandIfInstalled\tParameter 'upgrade-code' not found for 'if-installed' command."},
      {L"if-installed|upgrade-code=|version=1.0", false, L"success",
       "Error\tRunCommandIfInstalled\tParameter 'upgrade-code' not found for 'if-installed' command."},
      {L"if-installed" + upgrade, false, L"success",
       "Error\tRunCommandIfInstalled\tParameter 'version' not found for 'if-installed' command."},
      {L"if-not-installed|version=1.0", true, L"",
       "Error\tRunCommandIfNotInstalled\tParameter 'upgrade-code' not found for 'if-not-installed' command."},
      {L"if-not-installed" + upgrade + L"|version=", true, L"",
       "Error\tRunCommandIfNotInstalled\tParameter 'version' not found for 'if-not-installed' command."},
      {L"if-installed|upgrade-code=A1A1A1A1|version=1.0", false, L"success",
       "Error\tIsProductInstalled\tMsiEnumRelatedProductsW failed with return value 87 (ERROR_INVALID_PARAMETER)."},
      {L"if-not-installed|upgrade-code=A1A1A1A1|version=1.0", true, L"",
       "Error\tIsProductInstalled\tMsiEnumRelatedProductsW failed with return value 87 (ERROR_INVALID_PARAMETER)."},
  };
  Preinstall({kProductA1, kUpgradeA, L"4.2.0.15"}, L"a.msi");
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    ClearLog();
    EXPECT_EQ(Check(c.text), c.enters);
    EXPECT_EQ(Param(L"result"), c.result);
    EXPECT_TRUE(Logged(c.logged));
    // A missing parameter is reported before any installer call.
    const bool asked = c.logged.find("IsProductInstalled") != std::string::npos;
    EXPECT_EQ(CountStartingWith("Info\tIsProductInstalled\tCalling MsiEnumRelatedProductsW"), asked ? 1u : 0u);
  }
}

TEST_F(InstallerCommands, UninstallResultFromTheInstallersCode) {
  struct Case {
    const std::wstring product;
    std::optional<platform::Win32Error> installerSays;
    const wchar_t* result;
    const wchar_t* msiResult;
    std::int32_t rebootMode;
    bool removed;
  };
  const Case cases[] = {
      {kProductA1, std::nullopt, L"success", L"0", 0, true},
      {kProductA1, 3010, L"success", L"3010", 1, true},
      {kProductA1, 1603, L"failure", L"1603", 0, false},
      {kProductA1, 1618, L"failure", L"1618", 0, false},
      {kProductB1, std::nullopt, L"failure", L"1605", 0, false},
      {L"", std::nullopt, L"failure", L"87", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.product) + " " + Utf8(c.msiResult));
    ClearLog();
    RemoveAllProducts();
    Preinstall({kProductA1, kUpgradeA, L"4.2.0.15"}, L"a.msi");
    sim().installer().Package(L"a.msi").uninstallResult = c.installerSays;
    state_.rebootMode = 0;
    Uninstall(L"uninstall|product=" + c.product);
    EXPECT_EQ(Param(L"result"), c.result);
    EXPECT_EQ(Param(L"msi-result"), c.msiResult);
    EXPECT_EQ(state_.rebootMode, c.rebootMode);
    EXPECT_EQ(IsInstalled(kProductA1), !c.removed);
    EXPECT_TRUE(Logged("Info\tRunCommandUninstall\tUninstalling product '" + Utf8(c.product) +
                       "' with command line ''."));
    EXPECT_EQ(Messages().size(), 1u) << "a restart request is not logged";
  }
}

TEST_F(InstallerCommands, EnableMsiLogWhenLoggingOrForced) {
  struct Case {
    std::uint32_t mask;
    const wchar_t* parameters;
    bool inElevatedSection;
    const wchar_t* result;  // null: the line keeps no result
    const wchar_t* logFile;  // the installer log's file in the logging folder; null: none
    std::string logged;      // empty: nothing to look for (logging is off)
  };
  const std::string enabling = "Info\tRunCommandEnableMSILog\tEnabling Windows Installer logging with log mode '";
  const std::string folder = Utf8(kLoggingFolder);
  const Case cases[] = {
      {7, L"|log-mode=7|file-path=msi.log", false, L"success", L"msi.log", enabling + "7' to '" + folder + "msi.log'."},
      {1, L"|log-mode=7|file-path=msi.log", false, L"success", L"msi.log", ""},
      {0, L"|log-mode=7|file-path=msi.log", false, L"success", nullptr, ""},
      {0, L"|log-mode=7|file-path=msi.log|force=yes", false, L"success", L"msi.log", ""},
      {0, L"|log-mode=7|file-path=msi.log|force=Yes", false, L"success", nullptr, ""},
      {7, L"|log-mode=7|file-path=msi.log", true, nullptr, L"msi.log", "Info\tRunCommandEnableMSILog\tMsiEnableLogW succeeded."},
      {0, L"|log-mode=7|file-path=msi.log", true, nullptr, nullptr, ""},
      {7, L"|log-mode=abc|file-path=msi.log", false, L"success", nullptr, enabling + "0' to '" + folder + "msi.log'."},
      {7, L"|log-mode=7|file-path=Missing\\msi.log", false, L"failure", nullptr,
       "Error\tRunCommandEnableMSILog\tMsiEnableLogW failed with return value 87 (ERROR_INVALID_PARAMETER)."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.mask) + Utf8(c.parameters) + (c.inElevatedSection ? " elevated" : ""));
    ClearLog();
    sim().installer().EnableLog(0, L"", 0);
    logging::LogSeverityMask.store(c.mask);
    state_.inElevatedSection = c.inElevatedSection;
    RunLine(std::wstring(L"enable-msi-log") + c.parameters, setup::RunCommandEnableMSILog);
    logging::LogSeverityMask.store(savedMask_);
    EXPECT_EQ(HasParam(L"result"), c.result != nullptr);
    if (c.result != nullptr) EXPECT_EQ(Param(L"result"), c.result);
    EXPECT_EQ(sim().installer().LogPath(), c.logFile != nullptr ? kLoggingFolder + c.logFile : L"");
    if (c.mask == 1) EXPECT_TRUE(Messages().empty()) << "only errors are logged";
    else if (!c.logged.empty()) EXPECT_TRUE(Logged(c.logged));
  }
}

TEST_F(InstallerCommands, LaterInstallationsWriteTheInstallerLog) {
  state_.loggingFolder = L"C:\\Users\\User\\AppData\\Local\\Temp\\Msi Logs\\";
  RunLine(L"enable-msi-log|log-mode=7|file-path=setup-msi.log", setup::RunCommandEnableMSILog);
  ASSERT_EQ(Param(L"result"), L"success");
  PutPackage(kWorkingFolder + L"a.msi", {kProductA1, kUpgradeA, L"4.2.0.15"});
  Install(L"install|package=a.msi");
  const std::string log = sim().FileBytes(state_.loggingFolder + L"setup-msi.log").value_or("");
  EXPECT_NE(log.find("Installed product '" + Utf8(kProductA1) + "', version '4.2.0.15'."), std::string::npos)
      << log;
}

}  // namespace
