// The "execute" command against programs of the simulated machine.
#include <gtest/gtest.h>

#include "ComUtil/IssueError.h"
#include "setup/commands/execute/Execute.h"
#include "setup/engine/DecimalParameter.h"
#include "setup/session/SetupState.h"
#include "tests/unit/support/SimSessionSupport.h"

namespace {

using namespace sessiontest;

const std::wstring kTool = L"C:\\Tools\\tool.exe";

class Execute : public SessionTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(logging::OpenLog(0, true, true));
    state_.isVistaOrLater = true;
    state_.workingFolder = L"C:\\Users\\User\\Downloads\\";
  }

  // Runs `text` (an "execute" line, result preset as the interpreter does) against a tool
  // that ends with `exitCode`.
  bool Run(const std::wstring& text, std::uint32_t exitCode = 0, std::uint64_t runMs = 0) {
    sim().PutProgram(kTool, {exitCode, runMs});
    line_.Parse(text);
    line_.SetParameter(L"result", L"failure");
    return setup::RunCommandExecute(line_, state_);
  }

  std::wstring Result() const { return line_.GetParameter(L"result"); }
  std::size_t Started() { return sim().processes().Starts().size(); }

  setup::SetupState state_;
  setup::CommandParameters line_;
};

TEST_F(Execute, RestartCodeAndRequiredCodeOnOneLine) {
  const std::wstring line =
      L"execute|program=C:\\Tools\\tool.exe|reboot-on-exit-code=3010|abort-on-exit-code-not=0";
  EXPECT_TRUE(Run(line, 3010));
  EXPECT_EQ(state_.rebootMode, setup::kRebootWhenConvenient);
  EXPECT_FALSE(state_.abortRequested);
  EXPECT_EQ(Result(), L"success");
  EXPECT_TRUE(Logged("Info\tRunCommandExecute\tReboot required, flagging for reboot when convenient."));

  state_.rebootMode = 0;
  EXPECT_TRUE(Run(line, 0));
  EXPECT_EQ(state_.rebootMode, 0);
  EXPECT_FALSE(state_.abortRequested);

  EXPECT_TRUE(Run(line, 1));
  EXPECT_TRUE(state_.abortRequested);
  EXPECT_EQ(Result(), L"failure");
  EXPECT_TRUE(Logged("Warning\tRunCommandExecute\tExit code must be 0 to succeed. Flagging for abort."));
  EXPECT_TRUE(Logged("Info\tRunCommandExecute\tLaunching with CreateProcess 'C:\\Tools\\tool.exe'."));
  EXPECT_EQ(CountLogged("Info\tRunCommandExecute\tProcess returned exit code 3010."), 1);
}

TEST_F(Execute, OnlyTheRestartNowCodeIsComparedWhenBothAreGiven) {
  EXPECT_TRUE(Run(L"execute|program=C:\\Tools\\tool.exe|reboot-now-on-exit-code=5|reboot-on-exit-code=3010", 3010));
  EXPECT_EQ(state_.rebootMode, 0);
  EXPECT_TRUE(Run(L"execute|program=C:\\Tools\\tool.exe|reboot-now-on-exit-code=5|reboot-on-exit-code=3010", 5));
  EXPECT_EQ(state_.rebootMode, setup::kRebootAsSoonAsPossible);
  EXPECT_TRUE(Logged("Info\tRunCommandExecute\tReboot required, flagging for reboot as soon as possible."));
}

TEST_F(Execute, ARestartWhenConvenientLowersAnEarlierRestartNow) {
  state_.rebootMode = setup::kRebootAsSoonAsPossible;
  EXPECT_TRUE(Run(L"execute|program=C:\\Tools\\tool.exe|reboot-on-exit-code=3010", 3010));
  EXPECT_EQ(state_.rebootMode, setup::kRebootWhenConvenient);
}

TEST_F(Execute, WaitsOnlyWhenAskedOrWhenAnExitCodeMatters) {
  const std::uint64_t start = sim().clock().Ticks();
  EXPECT_TRUE(Run(L"execute|program=C:\\Tools\\tool.exe", 9, 4000));
  EXPECT_EQ(sim().clock().Ticks(), start);
  EXPECT_TRUE(Run(L"execute|program=C:\\Tools\\tool.exe|abort-on-exit-code-not=9", 9, 4000));
  EXPECT_EQ(sim().clock().Ticks(), start + 4000);
  EXPECT_TRUE(Run(L"execute|program=C:\\Tools\\tool.exe|wait=yes", 9, 4000));
  EXPECT_EQ(sim().clock().Ticks(), start + 8000);
  EXPECT_EQ(CountLogged("Info\tRunCommandExecute\tProcess returned exit code 9."), 2);
  EXPECT_EQ(sim().processes().OpenHandleCount(), 0u);
}

TEST_F(Execute, ExitCodesCompareAsSigned32BitNumbers) {
  EXPECT_TRUE(Run(L"execute|program=C:\\Tools\\tool.exe|abort-on-exit-code-not=-1", 0xFFFFFFFFu));
  EXPECT_FALSE(state_.abortRequested);
  EXPECT_TRUE(Logged("Info\tRunCommandExecute\tProcess returned exit code -1."));
  EXPECT_EQ(setup::ParseDecimalParameter(L"3010abc"), 3010);
  EXPECT_EQ(setup::ParseDecimalParameter(L"abc"), 0);
  EXPECT_EQ(setup::ParseDecimalParameter(L"-2147483648"), INT32_MIN);
  EXPECT_EQ(setup::ParseDecimalParameter(L"99999999999"), INT32_MAX);
}

TEST_F(Execute, AnEarlierAbortRequestFailsASuccessfulProgram) {
  state_.abortRequested = true;
  EXPECT_TRUE(Run(L"execute|program=C:\\Tools\\tool.exe|wait=yes", 0));
  EXPECT_EQ(Result(), L"failure");
}

TEST_F(Execute, RequiredCodeBoxUsesThePlainTexts) {
  EXPECT_TRUE(Run(L"execute|program=C:\\Tools\\tool.exe|abort-on-exit-code-not=0|title=T|message=M|"
                  L"message-id-message=300|icon=error", 2));
  ASSERT_EQ(sim().Boxes().size(), 1u);
  EXPECT_EQ(sim().Boxes()[0].request.title, L"T");
  EXPECT_EQ(sim().Boxes()[0].request.text, L"M");
}

TEST_F(Execute, IfElevatedSkipsTheLineInTheWrongKindOfProcess) {
  state_.isAdmin = true;
  EXPECT_TRUE(Run(L"execute|program=C:\\Tools\\tool.exe|if-elevated=no"));
  EXPECT_EQ(Result(), L"failure");  // as the interpreter preset it
  EXPECT_EQ(Started(), 0u);
  EXPECT_TRUE(Logged("Warning\tRunCommandExecute\t'if-elevated' paramter is 'no', process is elevated, skipping."));

  state_.isAdmin = false;
  EXPECT_TRUE(Run(L"execute|program=C:\\Tools\\tool.exe|if-elevated=yes"));
  EXPECT_EQ(Started(), 0u);
  EXPECT_TRUE(Logged("Warning\tRunCommandExecute\t'if-elevated' paramter is 'yes', process is not elevated, skipping."));

  state_.isVistaOrLater = false;  // before Vista the parameter is not heeded
  EXPECT_TRUE(Run(L"execute|program=C:\\Tools\\tool.exe|if-elevated=yes"));
  EXPECT_EQ(Started(), 1u);
  EXPECT_EQ(Result(), L"success");
}

TEST_F(Execute, MissingProgramIsSkippedOrFlagsTheRunForAbort) {
  line_.Parse(L"execute|program=gone.exe|if-exists=yes");
  EXPECT_TRUE(setup::RunCommandExecute(line_, state_));
  EXPECT_FALSE(state_.abortRequested);
  EXPECT_FALSE(line_.HasParameter(L"result"));
  EXPECT_TRUE(Logged("Info\tRunCommandExecute\t'C:\\Users\\User\\Downloads\\gone.exe' does not exist, 'if-exists' flag set to 'yes', skipping execution."));

  line_.Parse(L"execute|program=gone.exe|title=Setup|message=Tool missing.");
  EXPECT_TRUE(setup::RunCommandExecute(line_, state_));
  EXPECT_TRUE(state_.abortRequested);
  EXPECT_TRUE(Logged("Error\tRunCommandExecute\t'C:\\Users\\User\\Downloads\\gone.exe' does not exist, flagging for abort."));
  ASSERT_EQ(sim().Boxes().size(), 1u);
  EXPECT_EQ(sim().Boxes()[0].request.text, L"Tool missing.");
}

TEST_F(Execute, AFolderIsNotAProgram) {
  sim().files().MakeFolders(L"C:\\Tools\\dir.exe");
  line_.Parse(L"execute|program=C:\\Tools\\dir.exe");
  EXPECT_TRUE(setup::RunCommandExecute(line_, state_));
  EXPECT_TRUE(state_.abortRequested);
  EXPECT_EQ(Started(), 0u);
}

TEST_F(Execute, RefusedElevationFailsTheRun) {
  sim().processes().QueueElevationAnswer(false);
  EXPECT_FALSE(Run(L"execute|program=C:\\Tools\\tool.exe|arg1=/q|elevate=yes|wait=yes"));
  EXPECT_EQ(Result(), L"failure");
  EXPECT_TRUE(Logged("Warning\tExecuteElevated\tElevation was canceled by the user, aborting."));

  EXPECT_TRUE(Run(L"execute|program=C:\\Tools\\tool.exe|arg1=/q|elevate=yes|reboot-on-exit-code=3010", 3010));
  EXPECT_EQ(state_.rebootMode, setup::kRebootWhenConvenient);
  EXPECT_EQ(sim().processes().Starts().back().commandLine, L"\"C:\\Tools\\tool.exe\" /q");
  EXPECT_EQ(sim().processes().Starts().back().verb, L"runas");
}

TEST_F(Execute, UnknownSpecialFolderFailsTheRunWithoutStarting) {
  EXPECT_FALSE(Run(L"execute|program=%Nowhere%\\tool.exe"));
  EXPECT_EQ(Result(), L"failure");
  EXPECT_EQ(Started(), 0u);
}

TEST_F(Execute, WindowIsBroughtToTheTopOnceItAppears) {
  platform::sim::SimProgram program;
  program.runMilliseconds = 60000;
  program.showsWindow = true;
  program.windowAfterMilliseconds = 250;
  sim().PutProgram(kTool, program);
  line_.Parse(L"execute|program=C:\\Tools\\tool.exe|set-z-order-top=yes");
  EXPECT_TRUE(setup::RunCommandExecute(line_, state_));
  EXPECT_NE(sim().processes().TopWindow(), platform::kNoWindow);
  EXPECT_TRUE(Logged("Info\tRunCommandExecute\tSearching for the process's window, attempt 2."));
  EXPECT_FALSE(Logged("Info\tRunCommandExecute\tSearching for the process's window, attempt 3."));
  EXPECT_TRUE(Logged("Info\tRunCommandExecute\tFound the process's window, moving it to the top of the z-order."));
  EXPECT_EQ(CountLogged("Info\tEnumWindowsProc\tMatch found for process ID '8196', setting hWnd to '0x10020'."), 1);
}

TEST_F(Execute, ProgramWithoutWindowIsSearchedFiftyTimesAndStillSucceeds) {
  const std::uint64_t slept = sim().process().SleptMilliseconds();
  EXPECT_TRUE(Run(L"execute|program=C:\\Tools\\tool.exe|set-z-order-top=yes"));
  EXPECT_EQ(sim().process().SleptMilliseconds() - slept, 5000u);
  EXPECT_TRUE(Logged("Info\tRunCommandExecute\tSearching for the process's window, attempt 49."));
  EXPECT_TRUE(Logged("Error\tRunCommandExecute\tDid not find window with process ID '8196'."));
  EXPECT_EQ(Result(), L"success");
}

TEST_F(Execute, FailingWaitIsFatalAndClosesTheHandle) {
  sim().kernel().FailWaitsOn<platform::sim::SimRunningProcess>();
  EXPECT_THROW(Run(L"execute|program=C:\\Tools\\tool.exe|wait=yes"), ComUtil::_com_error);
  EXPECT_EQ(sim().processes().OpenHandleCount(), 0u);
}

}  // namespace
