// Whole sessions with elevated sections: the parent hands the section to a real second
// instance of the program on the same simulated machine and marks the section afterwards.
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "setup/engine/ElevatedSection.h"
#include "setup/engine/RunStatus.h"
#include "setup/session/SetupState.h"
#include "setup/session/Tamber4Setup.h"
#include "tests/unit/support/SimSessionSupport.h"

namespace {

using namespace sessiontest;

const std::wstring kScript = L"C:\\Users\\User\\Downloads\\s.crvdat";
const std::wstring kWorkingCopy = kInstallFolder + L"s.crvdat";
const std::wstring kRunOnceKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
// A block that is skipped, and one that runs.
const std::wstring kFalse =
    L"if-registry-check|registry-path=HKCU\\Software\\Gone|registry-value-name=V|"
    L"registry-value-data=1|registry-value-data-is=greater-than";
const std::wstring kTrue =
    L"if-registry-check|registry-path=HKCU\\Software\\Here|registry-value-name=V|"
    L"registry-value-data=1";

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

  // The script's own box texts shown since box `from` (the program's own texts have spaces).
  std::vector<std::wstring> BoxesSince(std::size_t from) {
    std::vector<std::wstring> boxes;
    for (std::size_t i = from; i < sim().Boxes().size(); ++i) {
      const std::wstring& text = sim().Boxes()[i].request.text;
      if (text.find(L' ') == std::wstring::npos) boxes.push_back(text);
    }
    return boxes;
  }

  struct Run {
    int status;
    std::vector<std::wstring> results;  // of the parent's working copy afterwards
    std::vector<std::wstring> boxes;    // the script's box texts shown, in order
  };
  struct Shape {
    const char* shape;
    std::vector<std::wstring> script;
    std::vector<int> answers;  // to the boxes of the first run, in order
    int instances;             // elevated instances the first run starts
    bool restarts;             // the first run leaves a RunOnce entry naming its working copy
    Run first;
    Run second;  // the run of the first run's working copy (the RunOnce continuation)
  };

  // Runs the shape's script and then its working copy, as the RunOnce entry would; checks
  // both runs and that every program of the script ran once, unless the first run failed
  // (its section runs again).
  void CheckShape(const Shape& c) {
    SCOPED_TRACE(c.shape);
    sim().files().Delete(kWorkingCopy);
    for (const int answer : c.answers) sim().QueueAnswer(answer);
    const std::size_t startsBefore = sim().processes().Starts().size();
    std::size_t boxesBefore = sim().Boxes().size();
    PutScript(kScript, c.script);
    EXPECT_EQ(RunSession(kScript), c.first.status);
    int instances = 0;
    for (std::size_t i = startsBefore; i < sim().processes().Starts().size(); ++i)
      instances += sim().processes().Starts()[i].verb == L"runas";
    EXPECT_EQ(instances, c.instances);
    EXPECT_EQ(Results(kWorkingCopy), c.first.results);
    EXPECT_EQ(BoxesSince(boxesBefore), c.first.boxes);
    const std::optional<std::wstring> runOnce =
        sim().registry().GetString(platform::kHkeyCurrentUser, kRunOnceKey, L"Tamber4Setup");
    EXPECT_EQ(runOnce.has_value(), c.restarts);
    if (runOnce) EXPECT_EQ(*runOnce, L"\"" + kExe + L"\" \"" + kWorkingCopy + L"\"");
    // Windows removes a RunOnce entry before it starts it.
    sim().registry().MakeKey(platform::kHkeyCurrentUser, kRunOnceKey).values.clear();
    boxesBefore = sim().Boxes().size();
    EXPECT_EQ(RunSession(L"\"" + kWorkingCopy + L"\""), c.second.status);
    EXPECT_EQ(Results(kWorkingCopy), c.second.results);
    EXPECT_EQ(BoxesSince(boxesBefore), c.second.boxes);
    if (c.first.status == setup::kRunFail) return;
    std::map<std::wstring, int> runs;
    for (std::size_t i = startsBefore; i < sim().processes().Starts().size(); ++i)
      if (sim().processes().Starts()[i].commandLine.find(L"Tools") != std::wstring::npos)
        ++runs[sim().processes().Starts()[i].commandLine];
    for (const auto& [program, count] : runs)
      EXPECT_EQ(count, 1) << platform::sim::WideToUtf8(program);
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
  sim().registry().PutString(platform::kHkeyLocalMachine, L"Software\\Tamber", L"", L"C:\\Tools");
  const std::vector<std::wstring> kAllRan(6, L"success");
  const Shape shapes[] = {
      {"a marked closer closes the section: the line after it runs here",
       {L"requires-elevation", L"zzz|in=1", L"end-elevation|result=success",
        L"execute|program=C:\\Tools\\a.exe"},
       {}, 0, false,
       {0, {L"", L"success", L"success", L"success"}, {}},
       {0, {L"", L"success", L"success", L"success"}, {}}},
      {"a reboot already run before the delegated line is not the section's end",
       {L"requires-elevation", L"reboot|force=if-reboot-now",
        L"execute|program=C:\\Tools\\a.exe|reboot-now-on-exit-code=0", L"end-elevation", L"reboot",
        L"alert|message=after"},
       {}, 1, true,
       {4, {L"success", L"success", L"success", L"success", L"success", L""}, {}},
       {0, kAllRan, {L"after"}}},
      {"lines after the section run before the restart now is carried out",
       {L"requires-elevation", L"execute|program=C:\\Tools\\a.exe|reboot-now-on-exit-code=0",
        L"end-elevation", L"alert|message=mid", L"reboot", L"alert|message=after"},
       {}, 1, true,
       {4, {L"success", L"success", L"success", L"success", L"success", L""}, {L"mid"}},
       {0, kAllRan, {L"after"}}},
      {"a later section keeps an earlier section's restart",
       {L"requires-elevation", L"execute|program=C:\\Tools\\b.exe|reboot-on-exit-code=3010",
        L"end-elevation", L"requires-elevation", L"execute|program=C:\\Tools\\a.exe",
        L"end-elevation"},
       {}, 2, false, {3, kAllRan, {}}, {0, kAllRan, {}}},
      {"a line that runs on every run stays so and tells the lines after the section",
       {L"requires-elevation", L"execute|program=C:\\Tools\\a.exe",
        L"read-registry-install-directory|registry-path=HKLM\\Software\\Tamber", L"end-elevation",
        L"execute|program=%InstallDirectory%\\b.exe"},
       {}, 1, false,
       {0, {L"success", L"success", L"repeat", L"success", L"success"}, {}},
       {0, {L"success", L"success", L"repeat", L"success", L"success"}, {}}},
      {"a closer inside a skipped block still ends the instance's section",
       {L"requires-elevation", L"execute|program=C:\\Tools\\a.exe", kFalse, L"alert|message=in",
        L"end-elevation", L"end-if", L"alert|message=after"},
       {}, 1, false,
       {0, std::vector<std::wstring>(7, L"success"), {L"after"}},
       {0, std::vector<std::wstring>(7, L"success"), {}}},
      {"a block cut by the section's restart is whole after it",
       {kTrue, L"requires-elevation", L"execute|program=C:\\Tools\\a.exe|reboot-now-on-exit-code=0",
        L"end-if", L"reboot", L"end-elevation", L"alert|message=after"},
       {}, 1, true,
       {4, {L"success", L"", L"success", L"success", L"success", L"", L""}, {}},
       {0, {L"success", L"", L"success", L"success", L"success", L"success", L"success"},
        {L"after"}}},
  };
  sim().registry().PutString(platform::kHkeyCurrentUser, L"Software\\Here", L"V", L"1");
  // The restart offered at exit is declined.
  for (const Shape& shape : shapes) {
    sim().QueueAnswer(platform::mb::IdNo);
    CheckShape(shape);
  }
}

// A restart or abort decided inside a section is the whole run's: the parent carries it out
// with its own working copy, and the run of that copy (the RunOnce continuation, or the next
// run) finishes the section with every line that must run once run once.
TEST_F(ElevatedSection, AStopInsideASectionIsTheParentsStop) {
  // A section whose remaining lines all ran here, without an instance, keeps its opener
  // unmarked, as any such section does.
  const std::vector<std::wstring> kOpenerLeft = {L"", L"success", L"success", L"success",
                                                 L"success", L"success"};
  const Shape shapes[] = {
      {"a forced reboot inside the section restarts the parent",
       {L"requires-elevation", L"execute|program=C:\\Tools\\a.exe", L"reboot|force=yes",
        L"alert|message=in", L"end-elevation", L"alert|message=after"},
       {platform::mb::IdNo}, 1, true,
       {0, {L"", L"success", L"success", L"", L"", L""}, {}},
       {0, kOpenerLeft, {L"in", L"after"}}},
      {"a restart now asked for inside the section stops it at its reboot",
       {L"requires-elevation", L"execute|program=C:\\Tools\\a.exe|reboot-now-on-exit-code=0",
        L"reboot", L"execute|program=C:\\Tools\\b.exe", L"end-elevation", L"alert|message=after"},
       {}, 1, true,
       {4, {L"", L"success", L"success", L"", L"", L""}, {}},
       {0, std::vector<std::wstring>(6, L"success"), {L"after"}}},
      {"a forced abort inside the section ends the parent's run",
       {L"requires-elevation", L"execute|program=C:\\Tools\\a.exe",
        L"abort|force=yes|message=stopped", L"alert|message=in", L"end-elevation",
        L"alert|message=after"},
       {}, 1, false,
       {0, {L"", L"success", L"success", L"", L"", L""}, {L"stopped"}},
       {0, kOpenerLeft, {L"in", L"after"}}},
      {"an abort the user asked for fails the run from the instance",
       {L"requires-elevation", L"execute|program=C:\\Tools\\a.exe",
        L"alert|message=quit|yes-no-set-abort-on-yes=yes", L"abort|message=stopped",
        L"end-elevation", L"alert|message=after"},
       {platform::mb::IdYes}, 1, false,
       {2, std::vector<std::wstring>(6, L""), {L"quit", L"stopped"}},
       {0, std::vector<std::wstring>(6, L"success"), {L"quit", L"after"}}},
  };
  for (const Shape& shape : shapes) CheckShape(shape);
}

}  // namespace
