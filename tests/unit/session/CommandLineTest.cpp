// Cutting the command line into arguments and switches.
#include "setup/session/CommandLine.h"

#include "tests/unit/support/SetupTestSupport.h"

namespace setup {
namespace {

using Args = std::vector<std::wstring>;

class CommandLineTest : public setuptest::SetupTest {
 protected:
  Args Parse(const std::wstring& commandLine) {
    Args args;
    EXPECT_TRUE(ParseCommandLine(state_, commandLine, &args));
    return args;
  }
  SetupState state_;
};

TEST_F(CommandLineTest, SpacesSeparateTokensAndQuotesKeepThemWhole) {
  EXPECT_EQ(Parse(L"\"C:\\Program Files\\T.exe\"   \"D:\\my script.crvdat\" 2"),
            (Args{L"C:\\Program Files\\T.exe", L"D:\\my script.crvdat", L"2"}));
  EXPECT_EQ(Parse(L"t.exe \"a\"b"), (Args{L"t.exe", L"a", L"b"}));
  EXPECT_EQ(Parse(L"t.exe a\tb c\"d \"\" \"open"), (Args{L"t.exe", L"a\tb", L"c\"d", L"", L"open"}));
  EXPECT_EQ(Parse(L""), Args{});
}

TEST_F(CommandLineTest, SwitchesAreExactNamesAfterADashOrSlash) {
  EXPECT_EQ(Parse(L"t.exe /Quiet -elevated s.crvdat /"), (Args{L"t.exe", L"s.crvdat"}));
  EXPECT_FALSE(state_.quiet);
  EXPECT_TRUE(state_.isElevatedInstance);
  EXPECT_TRUE(Logged("Error\tParseCommandLine\tUnrecognized command line switch '/Quiet'."));
  EXPECT_TRUE(Logged("Error\tParseCommandLine\tUnrecognized command line switch '/'."));
  EXPECT_TRUE(Logged("Info\tParseCommandLine\tRunning elevated."));

  EXPECT_EQ(Parse(L"t.exe -quiet"), Args{L"t.exe"});
  EXPECT_TRUE(state_.quiet);
  EXPECT_TRUE(Logged("Info\tParseCommandLine\t'quiet' switch specified, Windows Installer will be run with basic UI."));
}

TEST_F(CommandLineTest, ScriptUrlShowsTheWebScriptAddressAndEndsTheRun) {
  sim().resources().SetString(131, L"https://example.test/a/web.crvdat");
  Args args;
  EXPECT_FALSE(ParseCommandLine(state_, L"t.exe /scripturl x.crvdat", &args));
  EXPECT_EQ(args, (Args{L"t.exe", L"x.crvdat"}));
  sim().resources().SetString(131, L"");
  EXPECT_FALSE(ParseCommandLine(state_, L"t.exe -scripturl", &args));

  ASSERT_EQ(sim().Boxes().size(), 2u);
  EXPECT_EQ(sim().Boxes()[0].request.title, L"Tamber 4 Setup");
  EXPECT_EQ(sim().Boxes()[0].request.text, L"https://example.test/a/web.crvdat");
  EXPECT_EQ(sim().Boxes()[0].request.style, platform::mb::UserIcon | platform::mb::SetForeground);
  EXPECT_EQ(sim().Boxes()[1].request.text, L"");
  EXPECT_TRUE(Logged("Error\tRun\tFailed to load update script from string table."));
}

}  // namespace
}  // namespace setup
