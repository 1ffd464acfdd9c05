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

TEST_F(Tamber4SetupTest, ErrorsThatEndTheRunGiveExitCode2AndAnOrderlyEnd) {
  sim().com().SetInitializeResult(platform::hr::Fail);
  EXPECT_EQ(Main(L"t.exe"), 2);
  EXPECT_EQ(CountLogged("Error\tException\tException 0x80004005: "), 1u);
  EXPECT_NE(Log().back().find("Terminating module, return code 2."), std::string::npos);

  logging::ResetLogForTesting();
  sim().com().SetInitializeResult(platform::hr::Ok);
  PutScript(setuptest::kExeFolder + L"s.crvdat", L"# one\r\n");
  sim().files().FailWrites(L"", 112);
  EXPECT_EQ(Main(L"t.exe s.crvdat"), 2);
}

}  // namespace
}  // namespace setup
