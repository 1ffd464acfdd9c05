// Building an "execute" line's command line: special folders, argument numbering and
// quoting, the executable's folder as the fallback.
#include <gtest/gtest.h>

#include "ComUtil/IssueError.h"
#include "platform/Shell.h"
#include "setup/session/CommandLineBuilder.h"
#include "setup/session/Paths.h"
#include "tests/unit/support/SimSessionSupport.h"

namespace {

using namespace sessiontest;

class CommandLineBuilder : public SessionTest {
 protected:
  void SetUp() override {
    registry().PutDword(platform::kHkeyCurrentUser, logtest::kProgramKey, L"SeverityDebug", 1);
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
  const auto parts = Build(L"execute|program=%InstallDirectory%\\a.exe|arg1=x");
  EXPECT_TRUE(parts.error);
  EXPECT_EQ(parts.commandLine, L"");  // nothing that could be run by mistake
  EXPECT_TRUE(Logged("Error\tRenderPath\tThe directory path associated with the special folder "
                     "'%InstallDirectory%' has not been initialized.(Before using "
                     "%InstallDirectory% in a script, read-registry-install-directory must be "
                     "called.)"));
  EXPECT_TRUE(Logged("Error\tMakeSpecialFolderPath\tUnrecognized special folder in program "
                     "parameter '%InstallDirectory%\\a.exe'."));
  state_.installDirectory = L"D:\\Tamber";
  EXPECT_EQ(Build(L"execute|program=%InstallDirectory%\\a.exe").program, L"D:\\Tamber\\a.exe");
}

TEST_F(CommandLineBuilder, ATokenIsReplacedByItsFolderWithExactlyOneBackslash) {
  const struct {
    const wchar_t* path;
    const wchar_t* folder;
    const wchar_t* rendered;
  } cases[] = {{L"%System%\\a.exe", L"C:\\Sys", L"C:\\Sys\\a.exe"},
               {L"%System%a.exe", L"C:\\Sys", L"C:\\Sys\\a.exe"},
               {L"%System%\\a.exe", L"C:\\Sys\\", L"C:\\Sys\\a.exe"},
               {L"%System%\\\\a.exe", L"C:\\Sys", L"C:\\Sys\\\\a.exe"},
               {L"%System%", L"C:\\Sys\\", L"C:\\Sys\\"}};
  for (const auto& c : cases) {
    std::wstring path = c.path;
    EXPECT_TRUE(setup::RenderPath(&path, L"%System%", c.folder));
    EXPECT_EQ(path, c.rendered);
  }
  std::wstring other = L"%system%\\a.exe";
  EXPECT_FALSE(setup::RenderPath(&other, L"%System%", L"C:\\Sys"));
  EXPECT_EQ(other, L"%system%\\a.exe");
}

TEST_F(CommandLineBuilder, ShellFolderTokensAndTheScriptsOwnFolders) {
  const auto Render = [this](std::wstring path, bool* error) {
    setup::MakeSpecialFolderPath(state_, &path, error);
    return path;
  };
  bool error = true;
  EXPECT_EQ(Render(L"%ProgramFiles%", &error), L"C:\\Program Files");
  EXPECT_FALSE(error);
  EXPECT_EQ(Render(L"%System%\\x.dll", &error), L"C:\\Windows\\System32\\x.dll");
  EXPECT_EQ(Render(L"%LocalAppDataFolder%\\T", &error), L"C:\\Users\\User\\AppData\\Local\\T");
  EXPECT_EQ(Render(L"%WorkingDirectory%\\s.exe", &error), L"C:\\Users\\User\\Downloads\\s.exe");
  EXPECT_EQ(Render(L"C:\\%System%", &error), L"C:\\%System%");
  EXPECT_FALSE(error);

  // A script's folder named like a built-in token wins over it, for the whole value only.
  state_.specialFolders[L"%System%"] = L"E:\\Mine";
  EXPECT_EQ(Render(L"%System%", &error), L"E:\\Mine");
  EXPECT_EQ(Render(L"%System%\\x.dll", &error), L"C:\\Windows\\System32\\x.dll");
}

TEST_F(CommandLineBuilder, AShellFolderThatCannotBeHadRendersToTheTemporaryFolder) {
  sim().shell().SetFolderPathFailure(platform::csidl::ProgramFiles, platform::hr::Fail);
  std::wstring path = L"%WorkingDirectory%\\a.exe";
  bool error = false;
  EXPECT_TRUE(setup::MakeSpecialFolderPath(state_, &path, &error));
  // Folders are asked for only when their token is the one used.
  EXPECT_EQ(CountLogged("Error\tGetSpecialFolder\tSpecial folder number 38 could not be "
                        "determined, using ::GetTempPath."),
            0);
  path = L"%ProgramFiles%\\a.exe";
  EXPECT_TRUE(setup::MakeSpecialFolderPath(state_, &path, &error));
  EXPECT_EQ(path, L"C:\\Users\\User\\AppData\\Local\\Temp\\a.exe");
  EXPECT_TRUE(Logged("Error\tGetSpecialFolder\tSHGetFolderPath returned 0x80004005. Did user "
                     "RunAs... on XP with \"Protect my computer and data from unauthorized "
                     "program activity\" checked?"));
  EXPECT_TRUE(Logged("Error\tGetSpecialFolder\tSpecial folder number 38 could not be determined, "
                     "using ::GetTempPath."));

  // Without the shell function only the second line is logged.
  sim().shell().SetFolderPathFunctionPresent(false);
  std::wstring folder;
  EXPECT_FALSE(setup::GetSpecialFolder(platform::csidl::System, &folder));
  EXPECT_EQ(folder, L"C:\\Users\\User\\AppData\\Local\\Temp\\");
  EXPECT_EQ(CountLogged("Error\tGetSpecialFolder\tSpecial folder number 37 could not be "
                        "determined, using ::GetTempPath."),
            1);
  EXPECT_EQ(Messages().size(), 3u);
}

TEST_F(CommandLineBuilder, EachArgumentLogsHowItWasQuoted) {
  sim().PutFile(L"C:\\p.exe", "MZ");
  EXPECT_EQ(Build(L"execute|program=C:\\p.exe|arg1=a b|arg2=c|arg-quoted3=d").commandLine,
            L"C:\\p.exe \"a b\" c \"d\"");
  EXPECT_TRUE(Logged("Debug\tAddArgument\tAdding quoted command line argument 'a b' (force-no-quotes 'no')."));
  EXPECT_TRUE(Logged("Debug\tAddArgument\tAdding non-quoted command line argument 'c' (force-no-quotes 'no')."));
  EXPECT_TRUE(Logged("Debug\tAddArgument\tAdding force-quoted command line argument 'd' (force-no-quotes 'no')."));
  // Forbidding quotes wins, yet the forced kind is still what the line asked for.
  EXPECT_EQ(Build(L"execute|program=C:\\p.exe|arg-quoted1=e f|force-no-quotes=yes").commandLine,
            L"C:\\p.exe e f");
  EXPECT_TRUE(Logged("Debug\tAddArgument\tAdding force-quoted command line argument 'e f' (force-no-quotes 'yes')."));
  // Tabs do not make a value quoted; embedded quotes are kept as they are.
  EXPECT_EQ(Build(L"execute|program=C:\\p.exe|arg1=a\tb|arg2=say \"hi\"").arguments,
            L"a\tb \"say \"hi\"\"");
  EXPECT_EQ(Build(L"execute|program=C:\\p.exe").commandLine, L"C:\\p.exe");
}

TEST_F(CommandLineBuilder, ALineWithoutProgramIsAFatalError) {
  EXPECT_THROW(Build(L"execute|arg1=x"), ComUtil::_com_error);
  EXPECT_THROW(Build(L"execute|program=|arg1=x"), ComUtil::_com_error);
}

}  // namespace
