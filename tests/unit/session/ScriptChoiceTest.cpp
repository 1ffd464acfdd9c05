// Which script a run reads and where its working copy goes.
#include "setup/session/ScriptChoice.h"

#include "setup/engine/RunStatus.h"
#include "tests/unit/support/SetupTestSupport.h"

namespace setup {
namespace {

using setuptest::kExeFolder;
using setuptest::kInstallFolder;

class ScriptChoiceTest : public setuptest::SetupTest {
 protected:
  ScriptChoiceTest() {
    state_.workingFolder = kExeFolder;
    services_ = DefaultSessionServices();
    services_.downloadScript = [this](SetupState&, const std::wstring& address, std::wstring* source,
                                      std::wstring* workingCopy) {
      downloaded_.push_back(address);
      *source = *workingCopy = L"C:\\downloaded.crvdat";
      return downloadStatus_;
    };
  }
  ScriptChoice Choose(std::vector<std::wstring> args) {
    return ChooseScript(state_, args, services_);
  }
  SetupState state_;
  SessionServices services_;
  std::vector<std::wstring> downloaded_;
  int downloadStatus_ = 0;
};

TEST_F(ScriptChoiceTest, WithoutArgumentTheDiscScriptWinsThenTheUpdateScriptThenAnySetupScript) {
  sim().PutFile(kExeFolder + L"Setup\\other.crvdat", "x");
  ScriptChoice choice = Choose({L"t.exe"});
  EXPECT_EQ(choice.source, kExeFolder + L"Setup\\other.crvdat");
  EXPECT_EQ(choice.workingCopy, kInstallFolder + L"other.crvdat");
  EXPECT_TRUE(Logged("Info\tRun\tNo script file specified on the command line, reading from downloaded "
                     "update script file '" + text::WideToUtf8(choice.source) + "', writing to '" +
                     text::WideToUtf8(choice.workingCopy) + "'."));

  sim().PutFile(kExeFolder + L"Tamber4UpdateScript.crvdat", "x");
  EXPECT_EQ(Choose({L"t.exe"}).source, kExeFolder + L"Tamber4UpdateScript.crvdat");
  sim().PutFile(kExeFolder + L"Setup\\Tamber4DiscScript.crvdat", "x");
  choice = Choose({L"t.exe"});
  EXPECT_EQ(choice.source, kExeFolder + L"Setup\\Tamber4DiscScript.crvdat");
  EXPECT_EQ(choice.workingCopy, kInstallFolder + L"Tamber4DiscScript.crvdat");
  EXPECT_TRUE(downloaded_.empty());
}

TEST_F(ScriptChoiceTest, AGivenNameIsLookedUpBesideTheExecutableWhenNotFoundAsGiven) {
  sim().files().SetCurrentFolder(L"C:\\Media");
  sim().PutFile(kExeFolder + L"my.crvdat", "x");
  const ScriptChoice choice = Choose({L"t.exe", L"my.crvdat"});
  EXPECT_EQ(choice.source, kExeFolder + L"my.crvdat");
  EXPECT_EQ(choice.workingCopy, kInstallFolder + L"my.crvdat");
  EXPECT_EQ(Choose({L"t.exe", L"HTTP://x/s.crvdat"}).source, kExeFolder + L"HTTP://x/s.crvdat");
}

TEST_F(ScriptChoiceTest, AScriptWhoseWorkingCopyPathIsTooLongFailsTheRun) {
  const std::wstring name = std::wstring(250, L's') + L".crvdat";
  sim().PutFile(kExeFolder + name, "x");
  const ScriptChoice choice = Choose({L"t.exe", name});
  EXPECT_EQ(choice.status, kRunFail);
  EXPECT_EQ(choice.workingCopy, L"");
  EXPECT_EQ(Choose({L"t.exe", L"s.crvdat"}).status, kRunSuccess);
}

TEST_F(ScriptChoiceTest, TheElevatedInstanceWritesItsOwnNumberedWorkingCopy) {
  state_.isElevatedInstance = true;
  sim().PutFile(kInstallFolder + L"s.crvdat", "x");
  const ScriptChoice choice = Choose({L"t.exe", kInstallFolder + L"s.crvdat", L"2"});
  EXPECT_EQ(choice.source, kInstallFolder + L"s.crvdat");
  EXPECT_EQ(choice.workingCopy, kInstallFolder + L"sSpawned2.crvdat");
  EXPECT_EQ(SpawnedScriptName(L"C:\\a.b\\script", L"3"), L"C:\\a.b\\scriptSpawned3");
}

TEST_F(ScriptChoiceTest, AddressesAndMissingLocalScriptsGoToTheDownload) {
  EXPECT_EQ(Choose({L"t.exe", L"https://x/a/b.crvdat"}).status, 0);
  EXPECT_TRUE(Logged("Info\tRun\tCommand line argument is a web script path."));
  sim().resources().SetString(131, L"http://x/web.crvdat");
  state_.isElevatedInstance = true;
  const ScriptChoice choice = Choose({L"t.exe"});
  EXPECT_TRUE(choice.runEnded);
  EXPECT_TRUE(Logged("Info\tRun\tSuccessfully enabled BITS service, exiting elevated instance."));
  EXPECT_EQ(downloaded_, (std::vector<std::wstring>{L"https://x/a/b.crvdat", L"http://x/web.crvdat"}));

  sim().resources().SetString(131, std::wstring(1024, L'a'));
  EXPECT_EQ(Choose({L"t.exe"}).status, 2);
  EXPECT_TRUE(Logged("Error\tRun\tFailed to load update script from string table (string longer than "
                     "nBufferSize characters)."));
}

TEST_F(ScriptChoiceTest, WarnsWhenTheElevatedSwitchAndTheRightsDisagree) {
  state_.isElevatedInstance = true;
  WarnAboutElevationSwitch(state_);
  state_ = SetupState();
  state_.isVistaOrLater = state_.isAdmin = true;
  WarnAboutElevationSwitch(state_);
  state_.isVistaOrLater = false;
  WarnAboutElevationSwitch(state_);
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       "Warning\tRun\tThe 'elevated' command line parameter was specified but the "
                       "process is not elevated.",
                       "Warning\tRun\tThe 'elevated' command line parameter was not specified but "
                       "the process is elevated."}));
}

}  // namespace
}  // namespace setup
