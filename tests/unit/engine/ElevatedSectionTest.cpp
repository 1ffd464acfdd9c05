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

// Section shapes that once looped for ever, lost lines or lost a restart: each run ends with
// at most one instance per section, every line that must run once runs once, and the
// strongest restart asked for is the run's status.
TEST_F(ElevatedSection, EverySectionShapeEndsWithItsLinesRunOnce) {
  sim().PutProgram(L"C:\\Tools\\b.exe", {3010});
  const std::wstring kFalse =
      L"if-registry-check|registry-path=HKCU\\Software\\Gone|registry-value-name=V|"
      L"registry-value-data=1|registry-value-data-is=greater-than";
  struct Case {
    const char* shape;
    std::vector<std::wstring> script;
    int status;
    int instances;
    std::vector<std::wstring> results;  // of the parent's working copy
    std::vector<std::wstring> boxes;    // the texts of the alerts shown, in order
  };
  const Case cases[] = {
      {"a marked closer closes the section: the line after it runs here",
       {L"requires-elevation", L"zzz|in=1", L"end-elevation|result=success",
        L"execute|program=C:\\Tools\\a.exe"},
       0, 0, {L"", L"success", L"success", L"success"}, {}},
      {"a reboot already run before the delegated line is not the section's end",
       {L"requires-elevation", L"reboot|force=if-reboot-now",
        L"execute|program=C:\\Tools\\a.exe|reboot-now-on-exit-code=0", L"end-elevation", L"reboot",
        L"alert|message=after"},
       4, 1, {L"success", L"success", L"success", L"success", L"success", L""}, {}},
      {"lines after the section run before the restart now is carried out",
       {L"requires-elevation", L"execute|program=C:\\Tools\\a.exe|reboot-now-on-exit-code=0",
        L"end-elevation", L"alert|message=mid", L"reboot", L"alert|message=after"},
       4, 1, {L"success", L"success", L"success", L"success", L"success", L""}, {L"mid"}},
      {"a later section keeps an earlier section's restart",
       {L"requires-elevation", L"execute|program=C:\\Tools\\b.exe|reboot-on-exit-code=3010",
        L"end-elevation", L"requires-elevation", L"execute|program=C:\\Tools\\a.exe",
        L"end-elevation"},
       3, 2, std::vector<std::wstring>(6, L"success"), {}},
      {"a line that runs on every run stays so and tells the lines after the section",
       {L"requires-elevation", L"execute|program=C:\\Tools\\a.exe",
        L"read-registry-install-directory|registry-path=HKLM\\Software\\Tamber", L"end-elevation",
        L"execute|program=%InstallDirectory%\\b.exe"},
       0, 1, {L"success", L"success", L"repeat", L"success", L"success"}, {}},
      {"a closer inside a skipped block still ends the instance's section",
       {L"requires-elevation", L"execute|program=C:\\Tools\\a.exe", kFalse, L"alert|message=in",
        L"end-elevation", L"end-if", L"alert|message=after"},
       0, 1, std::vector<std::wstring>(7, L"success"), {L"after"}},
  };
  sim().registry().PutString(platform::kHkeyLocalMachine, L"Software\\Tamber", L"", L"C:\\Tools");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shape);
    sim().QueueAnswer(platform::mb::IdNo);  // a restart offered at exit is declined
    const std::size_t startsBefore = sim().processes().Starts().size();
    const std::size_t boxesBefore = sim().Boxes().size();
    PutScript(kScript, c.script);
    EXPECT_EQ(RunSession(kScript), c.status);
    int instances = 0;
    for (std::size_t i = startsBefore; i < sim().processes().Starts().size(); ++i)
      instances += sim().processes().Starts()[i].verb == L"runas";
    EXPECT_EQ(instances, c.instances);
    EXPECT_EQ(Results(kWorkingCopy), c.results);
    std::vector<std::wstring> boxes;
    for (std::size_t i = boxesBefore; i < sim().Boxes().size(); ++i)
      if (sim().Boxes()[i].request.text == L"mid" || sim().Boxes()[i].request.text == L"in" ||
          sim().Boxes()[i].request.text == L"after")
        boxes.push_back(sim().Boxes()[i].request.text);
    EXPECT_EQ(boxes, c.boxes);
    sim().files().Delete(kWorkingCopy);
  }
}

}  // namespace
