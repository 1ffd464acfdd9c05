// Building an "execute" line's command line: special folders, argument numbering and
// quoting, the executable's folder as the fallback.
#include <gtest/gtest.h>

#include "SimSessionSupport.h"
#include "setup/CommandLineBuilder.h"

namespace {

using namespace sessiontest;

class CommandLineBuilder : public SessionTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(logging::OpenLog(0, true, true));
    state_.workingFolder = L"C:\\Users\\User\\Downloads\\";
  }
  setup::CommandLineParts Build(const std::wstring& text) {
    setup::CommandParameters line;
    line.Parse(text);
    return setup::BuildCommandLine(state_, line, line.GetParameter(L"force-no-quotes") == L"yes");
  }
  setup::SetupState state_;
};

TEST_F(CommandLineBuilder, ArgumentsStopAtTheFirstMissingNumberAndPlainWins) {
  sim().PutFile(L"C:\\p.exe", "MZ");
  const auto parts = Build(L"execute|program=C:\\p.exe|arg1=a b|arg-quoted2=c|arg2=d|arg4=e");
  EXPECT_EQ(parts.commandLine, L"C:\\p.exe \"a b\" d");
  EXPECT_EQ(Build(L"execute|program=C:\\p.exe|arg1=a b|arg-quoted2=c|force-no-quotes=yes").arguments,
            L"a b c");
  EXPECT_EQ(Build(L"execute|program=C:\\p.exe|arg-quoted1=c").arguments, L"\"c\"");
}

TEST_F(CommandLineBuilder, ProgramsAreRenderedQuotedOrLookedUpBesideTheExecutable) {
  EXPECT_EQ(Build(L"execute|program=setup.exe").program, L"C:\\Users\\User\\Downloads\\setup.exe");
  EXPECT_EQ(Build(L"execute|program=%ProgramFiles%\\X\\y.exe").program,
            L"\"C:\\Program Files\\X\\y.exe\"");
  state_.specialFolders[L"%Setup%"] = L"C:\\s.exe";
  EXPECT_EQ(Build(L"execute|program=%Setup%").program, L"C:\\s.exe");
  EXPECT_TRUE(Build(L"execute|program=%Setup%\\x").error);
  EXPECT_TRUE(Build(L"execute|program=%programfiles%\\y.exe").error);
  EXPECT_TRUE(Logged("Error\tMakeSpecialFolderPath\tUnrecognized special folder in program "
                     "parameter '%programfiles%\\y.exe'."));
}

TEST_F(CommandLineBuilder, InstallDirectoryBeforeItWasReadGivesBothErrors) {
  EXPECT_TRUE(Build(L"execute|program=%InstallDirectory%\\a.exe").error);
  EXPECT_TRUE(Logged("Error\tRenderPath\tThe directory path associated with the special folder "
                     "'%InstallDirectory%' has not been initialized.(Before using "
                     "%InstallDirectory% in a script, read-registry-install-directory must be "
                     "called.)"));
}

}  // namespace
