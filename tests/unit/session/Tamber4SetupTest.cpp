// The whole program on the simulated machine: start-up refusals and a run to its exit code.
#include "setup/session/Tamber4Setup.h"

#include "tests/unit/support/SetupTestSupport.h"

namespace setup {
namespace {

using platform::sim::WindowsRelease;

class Tamber4SetupTest : public setuptest::SetupTest {
 protected:
  // The program opens the log itself.
  Tamber4SetupTest() { logging::ResetLogForTesting(); }
  int Main(const std::wstring& commandLine) { return TamberMain(0, commandLine); }
};

TEST_F(Tamber4SetupTest, XpWithoutServicePack3IsRefusedWithABox) {
  sim().SetRelease(WindowsRelease::XpSp2);
  EXPECT_EQ(Main(L"t.exe"), 2);
  ASSERT_EQ(sim().Boxes().size(), 1u);
  EXPECT_EQ(sim().Boxes()[0].request.title, L"Tamber 4 Setup");
  EXPECT_EQ(sim().Boxes()[0].request.text.substr(0, 43), L"Tamber requires at least Windows XP Service");
  EXPECT_EQ(sim().Boxes()[0].request.style, 0x10080u);
  EXPECT_TRUE(Logged("Error\tmain\tThe OS did not pass the VerifyVersionInfo test for XP SP 3."));
  EXPECT_EQ(CountLogged("Info\tModule\tTerminating module"), 0u);
}

TEST_F(Tamber4SetupTest, BeforeVistaAUserWithoutDocumentsFolderIsRefused) {
  sim().SetRelease(WindowsRelease::XpSp3);
  sim().shell().SetFolderPathFailure(platform::csidl::Personal, platform::hr::Fail);
  EXPECT_EQ(Main(L"t.exe"), 1);
  ASSERT_EQ(sim().Boxes().size(), 1u);
  EXPECT_EQ(sim().Boxes()[0].request.text.substr(0, 29), L"The selected user does not ha");
  EXPECT_EQ(sim().Boxes()[0].request.style, platform::mb::IconWarning);
}

TEST_F(Tamber4SetupTest, ARunEndsWithItsStatusAfterWritingTheWorkingCopy) {
  sim().SetLanguage(0x0C0A);
  PutScript(setuptest::kExeFolder + L"Setup\\Tamber4DiscScript.crvdat", L"# one\r\nsave\r\n");
  EXPECT_EQ(Main(L"\"C:\\Users\\User\\Downloads\\Tamber4Setup.exe\" /quiet"), 0);
  EXPECT_EQ(ScriptLines(setuptest::kInstallFolder + L"Tamber4DiscScript.crvdat"),
            (std::vector<std::wstring>{L"# one|result=success", L"save|result=success"}));
  EXPECT_EQ(processState().messageLanguage, 3082);
  EXPECT_EQ(sim().com().InitializeCount(), sim().com().UninitializeCount());
  const std::vector<std::string> log = Log();
  ASSERT_FALSE(log.empty());
  EXPECT_NE(log.front().find("Initializing module (version 4.0.0.0)."), std::string::npos);
  EXPECT_NE(log.back().find("Terminating module, return code 0."), std::string::npos);
}

// The COM apartment is entered by the first line that needs COM, once, and left at the end;
// a failure to enter it ends the run there, in order.
TEST_F(Tamber4SetupTest, TheComApartmentIsEnteredOnlyByALineThatNeedsIt) {
  const std::wstring download = L"download|name=A|uri=C:\\Media\\a.bin|file-path=a.bin\r\n";
  struct Case {
    const char* name;
    std::wstring script;
    platform::HResult initialize;
    int status;
    int entered;
    const char* logged;
  } cases[] = {
      {"no line needs COM", L"# one\r\nsave\r\n", platform::hr::Fail, 0, 0,
       "Info\tModule\tTerminating module, return code 0."},
      {"a download enters it once", download + download, platform::hr::Ok, 0, 1,
       "Info\tModule\tTerminating module, return code 0."},
      {"a download that cannot enter it", L"# one\r\n" + download, platform::hr::Fail, 2, 0,
       "Error\tDownload\tCOM error '0x80004005'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    logging::ResetLogForTesting();
    sim().files().Delete(setuptest::kLogPath);
    const int initialized = sim().com().InitializeCount();
    const int uninitialized = sim().com().UninitializeCount();
    sim().PutFile(L"C:\\Media\\a.bin", "0123456789");
    sim().com().SetInitializeResult(c.initialize);
    PutScript(setuptest::kExeFolder + L"s.crvdat", c.script);
    EXPECT_EQ(Main(L"t.exe s.crvdat"), c.status);
    EXPECT_EQ(sim().com().InitializeCount() - initialized, c.entered);
    EXPECT_EQ(sim().com().UninitializeCount() - uninitialized, c.entered);
    EXPECT_EQ(CountLogged(c.logged), 1u);
    EXPECT_NE(Log().back().find("Terminating module"), std::string::npos);
  }
}

TEST_F(Tamber4SetupTest, AWorkingCopyThatCannotBeWrittenGivesExitCode2) {
  PutScript(setuptest::kExeFolder + L"s.crvdat", L"# one\r\n");
  sim().files().FailWrites(L"", 112);
  EXPECT_EQ(Main(L"t.exe s.crvdat"), 2);
}

}  // namespace
}  // namespace setup
