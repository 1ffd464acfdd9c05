// Whole sessions with elevated sections: the parent hands the section to a real second
// instance of the program on the same simulated machine and marks the section afterwards.
#include <gtest/gtest.h>

#include "setup/engine/ElevatedSection.h"
#include "setup/session/SetupState.h"
#include "setup/session/Tamber4Setup.h"
#include "tests/unit/support/SimSessionSupport.h"

namespace {

using namespace sessiontest;

const std::wstring kScript = L"C:\\Users\\User\\Downloads\\s.crvdat";
const std::wstring kWorkingCopy = kInstallFolder + L"s.crvdat";

class ElevatedSection : public SessionTest {
 protected:
  void SetUp() override {
    for (const wchar_t* name : {L"a", L"b", L"c", L"d"})
      sim().PutProgram(std::wstring(L"C:\\Tools\\") + name + L".exe", {});
  }

  int RunSession(const std::wstring& script) {
    const int status = setup::TamberMain(0, L"\"" + kExe + L"\" " + script);
    logging::ResetLogForTesting();
    return status;
  }

  // The programs started so far, as "verb program" ("-" for a direct start), elevated ones
  // marked with "+".
  std::vector<std::wstring> Starts() {
    std::vector<std::wstring> starts;
    for (const auto& start : sim().processes().Starts())
      starts.push_back((start.verb.empty() ? L"-" : start.verb) + (start.elevated ? L"+ " : L" ") +
                       start.commandLine);
    return starts;
  }
};

TEST_F(ElevatedSection, OneInstanceRunsAWholeSectionAndTheParentMarksIt) {
  PutScript(kScript, {L"requires-elevation|title=Setup|message=Rights needed.",
                      L"execute|program=C:\\Tools\\a.exe", L"execute|program=C:\\Tools\\b.exe",
                      L"execute|program=C:\\Tools\\c.exe", L"end-elevation",
                      L"execute|program=C:\\Tools\\d.exe"});
  EXPECT_EQ(RunSession(kScript), 0);
  EXPECT_EQ(Starts(), (std::vector<std::wstring>{
                          L"runas+ \"" + kExe + L"\" /elevated \"" + kWorkingCopy + L"\" 1",
                          L"-+ C:\\Tools\\a.exe", L"-+ C:\\Tools\\b.exe", L"-+ C:\\Tools\\c.exe",
                          L"- C:\\Tools\\d.exe"}));
  EXPECT_EQ(Results(kWorkingCopy), std::vector<std::wstring>(6, L"success"));
  // The instance's own copy holds what it really did; it stopped at "end-elevation".
  EXPECT_EQ(Results(kInstallFolder + L"sSpawned1.crvdat"),
            (std::vector<std::wstring>{L"", L"success", L"success", L"success", L"", L""}));
  EXPECT_TRUE(Logged("Info\tParseCommandLine\tRunning elevated."));
  EXPECT_TRUE(Logged("Info\tIsProcessElevated\tProcess is elevated."));
  EXPECT_TRUE(Logged("Info\tSpawnElevatedInstance\tElevated process returned exit code 0 (success)."));
  EXPECT_EQ(CountLogged("Info\tModule\tTerminating module, return code 0."), 2);
  EXPECT_EQ(sim().processes().OpenHandleCount(), 0u);
}

TEST_F(ElevatedSection, TwoSectionsGetTwoInstancesWithTheirOwnWorkingCopies) {
  PutScript(kScript, {L"requires-elevation", L"execute|program=C:\\Tools\\a.exe", L"end-elevation",
                      L"execute|program=C:\\Tools\\b.exe", L"requires-elevation",
                      L"execute|program=C:\\Tools\\c.exe", L"end-elevation"});
  EXPECT_EQ(RunSession(kScript), 0);
  const auto& starts = sim().processes().Starts();
  ASSERT_EQ(starts.size(), 5u);
  EXPECT_EQ(starts[0].commandLine, L"\"" + kExe + L"\" /elevated \"" + kWorkingCopy + L"\" 1");
  EXPECT_EQ(starts[3].commandLine, L"\"" + kExe + L"\" /elevated \"" + kWorkingCopy + L"\" 2");
  EXPECT_EQ(Results(kInstallFolder + L"sSpawned1.crvdat")[1], L"success");
  EXPECT_EQ(Results(kInstallFolder + L"sSpawned2.crvdat"),
            (std::vector<std::wstring>{L"success", L"success", L"success", L"success", L"",
                                       L"success", L""}));
  EXPECT_EQ(Results(kWorkingCopy), std::vector<std::wstring>(7, L"success"));
}

TEST_F(ElevatedSection, RefusedPromptLeavesTheSectionForTheNextRun) {
  PutScript(kScript, {L"execute|program=C:\\Tools\\a.exe",
                      L"requires-elevation|title=Setup|message=Rights needed.|icon=warning",
                      L"execute|program=C:\\Tools\\b.exe", L"end-elevation"});
  sim().processes().QueueElevationAnswer(false);
  EXPECT_EQ(RunSession(kScript), 2);
  EXPECT_TRUE(Logged("Warning\tExecuteElevated\tElevation was canceled by the user, aborting."));
  ASSERT_EQ(sim().Boxes().size(), 1u);
  EXPECT_EQ(sim().Boxes()[0].request.text, L"Rights needed.");
  EXPECT_EQ(Results(kWorkingCopy), (std::vector<std::wstring>{L"success", L"", L"", L""}));

  EXPECT_EQ(RunSession(kWorkingCopy), 0);  // accepted this time
  EXPECT_EQ(Results(kWorkingCopy), std::vector<std::wstring>(4, L"success"));
  EXPECT_EQ(Starts().back(), L"-+ C:\\Tools\\b.exe");
}

TEST_F(ElevatedSection, ImmediateRestartLeavesTheSectionOpenAndRunsRebootHere) {
  sim().PutProgram(L"C:\\Tools\\a.exe", {3010});
  PutScript(kScript, {L"requires-elevation",
                      L"execute|program=C:\\Tools\\a.exe|reboot-now-on-exit-code=3010",
                      L"reboot", L"end-elevation"});
  EXPECT_EQ(RunSession(kScript), 4);
  EXPECT_TRUE(Logged("Info\tSpawnElevatedInstance\tElevated process returned exit code 4 "
                     "(rebootnow), flagging for reboot required as soon as possible."));
  const std::vector<std::wstring> results = Results(kWorkingCopy);
  ASSERT_EQ(results.size(), 4u);
  EXPECT_EQ(results[0], L"");  // evaluated again after the restart
  EXPECT_EQ(results[1], L"success");
}

TEST_F(ElevatedSection, ClosingMarksAnEarlierDownloadOfTheSameFile) {
  ASSERT_TRUE(logging::OpenLog(0, true, true));
  setup::SetupState state;
  state.script.lines = {L"download|background=yes|uri=http://h/files/a.msi",
                        L"download|background=yes|uri=http://h/files/b.msi",
                        L"requires-elevation", L"download|uri=files/a.msi", L"end-elevation",
                        L"execute|program=x.exe"};
  setup::CloseElevatedCommands(state, 2, 6, setup::kClosesSection);
  EXPECT_EQ(state.script.currentLine, 3);
  std::vector<std::wstring> results;
  for (const std::wstring& text : state.script.lines) {
    setup::CommandParameters line;
    line.Parse(text);
    results.push_back(line.GetParameter(L"result"));
  }
  EXPECT_EQ(results, (std::vector<std::wstring>{L"success", L"", L"success", L"success", L"", L""}));
  EXPECT_TRUE(Logged("Info\tCloseElevatedCommands\tSetting result for line number 0: 'download' "
                     "with uri 'http://h/files/a.msi' to 'success'."));
}

}  // namespace
