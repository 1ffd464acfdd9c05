// The installer commands' tests: a simulated machine with the session's folders, real
// packages built by wixl put on its disk, and the lines run as the interpreter runs them
// (result preset to "failure" where the interpreter presets it).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "setup/commands/installer/InstallerCommands.h"
#include "setup/session/SetupState.h"
#include "tests/unit/support/SimSessionSupport.h"
#include "tests/unit/support/WixlPackages.h"

namespace installertest {

inline const std::wstring kWorkingFolder = L"C:\\Users\\User\\Downloads\\";
inline const std::wstring kInstallers = sessiontest::kInstallFolder + L"Installers\\";
inline const std::wstring kLoggingFolder = L"C:\\Users\\User\\AppData\\Local\\Temp\\Tamber Log Files\\";

inline const std::wstring kUpgradeA = L"{A1A1A1A1-0000-4000-8000-00000000000A}";
inline const std::wstring kUpgradeB = L"{B2B2B2B2-0000-4000-8000-00000000000B}";
inline const std::wstring kProductA1 = L"{A1000001-0000-4000-8000-0000000000A1}";
inline const std::wstring kProductA2 = L"{A1000002-0000-4000-8000-0000000000A2}";
inline const std::wstring kProductB1 = L"{B2000001-0000-4000-8000-0000000000B1}";

class InstallerTest : public sessiontest::SessionTest {
 protected:
  void SetUp() override {
    if (!WixlAvailable()) GTEST_SKIP() << WixlMissingReason();
    ASSERT_TRUE(logging::OpenLog(0, true, true));
    state_.workingFolder = kWorkingFolder;
    state_.targetFolder = sessiontest::kInstallFolder;
    state_.loggingFolder = kLoggingFolder;
    sim().files().MakeFolders(state_.targetFolder);
  }

  // Writes a real package with these codes and version to `path` of the simulated disk.
  void PutPackage(const std::wstring& path, const PackageIdentity& identity) {
    const std::string& bytes = WixlPackage(identity);
    ASSERT_FALSE(bytes.empty()) << "wixl could not build the package";
    sim().PutFile(path, bytes);
  }

  // Installs a real package straight through the simulated installer (a product that was
  // on the machine before the run).
  void Preinstall(const PackageIdentity& identity, const std::wstring& fileName) {
    const std::wstring path = L"C:\\Preinstalled\\" + fileName;
    PutPackage(path, identity);
    ASSERT_EQ(sim().installer().InstallProduct(path, L""), 0u);
  }

  // Runs one line through `handler` with a fresh record, "result" preset to "failure".
  template <class Handler>
  void RunLine(const std::wstring& text, Handler handler) {
    line_ = setup::CommandParameters();
    line_.Parse(text);
    line_.SetParameter(L"result", L"failure");
    handler(line_, state_);
  }
  void Install(const std::wstring& text) { RunLine(text, setup::RunCommandInstall); }
  void Uninstall(const std::wstring& text) { RunLine(text, setup::RunCommandUninstall); }

  // A fresh log for the next case of a table.
  void ClearLog() { sim().files().Delete(logtest::kTempLogPath); }

  std::wstring Param(const std::wstring& name) const { return line_.GetParameter(name); }
  bool HasParam(const std::wstring& name) const { return line_.HasParameter(name); }

  setup::SetupState state_;
  setup::CommandParameters line_;
};

}  // namespace installertest
