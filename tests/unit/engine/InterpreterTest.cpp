// The interpreter on the simulated machine: what it writes into the working copy, the status
// it returns and what it logs. Handlers that later steps build are stood in for here through
// a copy of the program's dispatch table.
#include "setup/engine/Interpreter.h"

#include <algorithm>

#include "ComUtil/IssueError.h"
#include "setup/engine/Blocks.h"
#include "setup/engine/CommandOutcomes.h"
#include "tests/unit/support/SetupTestSupport.h"

namespace setup {
namespace {

using Lines = std::vector<std::wstring>;

const std::wstring kSource = L"C:\\Media\\test.crvdat";
const std::wstring kWorkingCopy = setuptest::kInstallFolder + L"test.crvdat";

std::wstring Join(const Lines& lines) {
  std::wstring text;
  for (const std::wstring& line : lines) text += line + L"\r\n";
  return text;
}

class InterpreterTest : public setuptest::SetupTest {
 protected:
  InterpreterTest() : commands_(ProgramCommands()) {
    state_.isVistaOrLater = true;
    sim().files().MakeFolders(setuptest::kInstallFolder);
    services_ = DefaultSessionServices();
    services_.cancelBackgroundCopyJobs = [this] { ++cancelled_; };
    services_.spawnElevatedInstance = [this](SetupState& state, CommandParameters& line,
                                             const std::wstring&) {
      spawned_.push_back(line.CommandName());
      if (spawnStatus_ == kRunReboot) state.rebootMode = kRebootWhenConvenient;
      if (spawnStatus_ == kRunRebootNow) state.rebootMode = kRebootAsSoonAsPossible;
      line.SetParameter(L"result", spawnStatus_ == kRunFail ? L"failure" : L"success");
      return spawnStatus_;
    };
    // A conditional whose condition is its own "holds" parameter.
    commands_.SetHandler(L"if-registry-check", [](RunFrame& frame, CommandParameters& line) {
      const bool holds = line.GetParameter(L"holds") == L"yes";
      if (!holds) line.SetParameter(L"result", L"success");
      return SkipBlockUnless(frame, holds);
    });
  }

  int Run(const Lines& lines, const std::wstring& source = kSource,
          const std::wstring& workingCopy = kWorkingCopy) {
    PutScript(source, Join(lines));
    return Interpret(state_, {source, workingCopy, L""}, services_, commands_);
  }
  Lines WorkingCopy() { return ScriptLines(kWorkingCopy); }

  SetupState state_;
  SessionServices services_;
  CommandTable commands_;
  std::vector<std::wstring> spawned_;
  int spawnStatus_ = kRunSuccess;
  int cancelled_ = 0;
};

TEST_F(InterpreterTest, MarksEachLineAndSkipsThemAllWhenTheWorkingCopyRunsAgain) {
  EXPECT_EQ(Run({L"# text", L"a=b", L"frobnicate|x=1", L"   ", L"|", L"save"}), kRunSuccess);
  const Lines expected = {L"# text|result=success", L"a=b|result=failure",
                          L"frobnicate|result=success|x=1", L"   |result=success",
                          L"|result=failure", L"save|result=success"};
  EXPECT_EQ(WorkingCopy(), expected);
  EXPECT_TRUE(Logged("Warning\tRun\tUnhandled command: 'frobnicate|x=1'."));
  EXPECT_TRUE(Logged("Warning\tRun\tUnhandled command: '   '."));
  EXPECT_EQ(CountLogged("Warning\tRun\tUnhandled command"), 2u);
  EXPECT_TRUE(Logged("Info\tSaveCommands\tWriting command file back to '" + text::WideToUtf8(kWorkingCopy) + "'."));

  EXPECT_EQ(Run(expected, kWorkingCopy, kWorkingCopy), kRunSuccess);
  EXPECT_EQ(WorkingCopy(), expected);
  EXPECT_EQ(CountLogged("Info\tRun\tLine already processed with result '"), expected.size());
  EXPECT_TRUE(Logged("Info\tRun\tProcessing line 3: frobnicate|result=success|x=1"));
}

TEST_F(InterpreterTest, AnEmptyScriptWritesAWorkingCopyWithOnlyTheByteOrderMark) {
  EXPECT_EQ(Run({L"", L"\r\n\n"}), kRunSuccess);
  EXPECT_EQ(sim().FileBytes(kWorkingCopy), std::string("\xFF\xFE"));
}

TEST_F(InterpreterTest, AScriptThatCannotBeReadFailsWithoutWritingAnything) {
  EXPECT_EQ(Interpret(state_, {L"C:\\nowhere.crvdat", kWorkingCopy, L""}, services_, commands_),
            kRunFail);
  EXPECT_TRUE(Logged("Error\tRun\tFile not found, aborting."));
  EXPECT_FALSE(sim().FileBytes(kWorkingCopy).has_value());
  EXPECT_EQ(cancelled_, 0);
}

TEST_F(InterpreterTest, NestedBlocksAreCountedWhileSkippedAndClosedByTheirEndIf) {
  EXPECT_EQ(Run({L"if-registry-check|holds=yes", L"if-registry-check|holds=no",
                 L"requires-elevation", L"mystery", L"if-registry-check|holds=yes", L"end-if",
                 L"end-elevation", L"end-if", L"end-if", L"end-if"}),
            kRunSuccess);
  EXPECT_EQ(WorkingCopy(),
            (Lines{L"if-registry-check|holds=yes|result=success",
                   L"if-registry-check|holds=no|result=success", L"requires-elevation|result=success",
                   L"mystery|result=success", L"if-registry-check|holds=yes|result=success",
                   L"end-if|result=success", L"end-elevation|result=success",
                   L"end-if|result=success", L"end-if|result=success", L"end-if|result=success"}));
  EXPECT_TRUE(Logged("Info\tRun\tSkipping (Pending end-if/ count: 1)"));
  EXPECT_TRUE(Logged("Info\tRun\tSkipping if statement, incrementing end-if count to 2"));
  EXPECT_TRUE(Logged("Info\tRun\tPending end-if count decrementing to 0"));
  EXPECT_TRUE(Logged("Info\tRun\tSetting result for line number 0: 'if-registry-check' to 'success'."));
  EXPECT_EQ(CountLogged("Warning"), 0u);
  EXPECT_FALSE(state_.inElevatedSection);
}

TEST_F(InterpreterTest, AnOpenBlockLeftByAStopIsEvaluatedAgainOnTheNextRun) {
  commands_.SetHandler(L"abort", [](RunFrame& frame, CommandParameters& line) {
    line.SetParameter(L"result", L"success");
    return StopRunIf(frame, true);
  });
  EXPECT_EQ(Run({L"if-registry-check|holds=yes", L"abort", L"end-if"}), kRunSuccess);
  EXPECT_EQ(WorkingCopy(), (Lines{L"if-registry-check|holds=yes", L"abort|result=success", L"end-if"}));
}

TEST_F(InterpreterTest, ASectionSpawnsOneElevatedInstanceAndIsMarkedUpToItsEnd) {
  commands_.SetHandler(L"download", [](RunFrame&, CommandParameters&) { return Flow::Next; });
  EXPECT_EQ(Run({L"download|uri=http://x/files/a.msi", L"requires-elevation|message=Rights",
                 L"write-registry-dword|x=1", L"download|uri=files/a.msi", L"execute|program=a.exe",
                 L"end-elevation", L"requires-elevation", L"install|package=p", L"end-elevation"}),
            kRunSuccess);
  EXPECT_EQ(spawned_, (Lines{L"download", L"install"}));
  EXPECT_EQ(WorkingCopy(),
            (Lines{L"download|result=success|uri=http://x/files/a.msi",
                   L"requires-elevation|message=Rights|result=success",
                   L"write-registry-dword|result=success|x=1",
                   L"download|result=success|uri=files/a.msi",
                   L"execute|program=a.exe|result=success", L"end-elevation|result=success",
                   L"requires-elevation|result=success", L"install|package=p|result=success",
                   L"end-elevation|result=success"}));
  EXPECT_TRUE(Logged("Info\tCloseElevatedCommands\tSetting result for line number 0: 'download' with "
                     "uri 'http://x/files/a.msi' to 'success'."));
  EXPECT_TRUE(Logged("Info\tLookupMessage\tMessage ID not specified, using script's string value of 'Rights'."));
  EXPECT_FALSE(state_.inElevatedSection);
}

TEST_F(InterpreterTest, ABlockOpenedInsideAClosedSectionNoLongerCountsAsOpen) {
  EXPECT_EQ(Run({L"if-registry-check|holds=yes", L"requires-elevation",
                 L"if-registry-check|holds=yes", L"install", L"end-if", L"end-elevation", L"end-if"}),
            kRunSuccess);
  EXPECT_EQ(WorkingCopy()[0], L"if-registry-check|holds=yes|result=success");
  EXPECT_TRUE(Logged("Info\tRun\tSetting result for line number 0: 'if-registry-check' to 'success'."));
}

TEST_F(InterpreterTest, AnElevatedExecuteNeedingARestartLeavesTheSectionOpenAndRunsRebootHere) {
  bool restartNow = false;
  commands_.SetHandler(L"reboot", [&](RunFrame& frame, CommandParameters& line) {
    restartNow = frame.status == kRunRebootNow;
    line.SetParameter(L"result", L"success");
    return StopForRestart(frame, true);
  });
  spawnStatus_ = kRunRebootNow;
  EXPECT_EQ(Run({L"requires-elevation", L"execute|program=a.exe", L"wait", L"reboot",
                 L"end-elevation"}),
            kRunRebootNow);
  EXPECT_TRUE(restartNow);
  EXPECT_TRUE(processState().rebootCommandExecuted);
  EXPECT_EQ(WorkingCopy(), (Lines{L"requires-elevation", L"execute|program=a.exe|result=success",
                                  L"wait|result=success", L"reboot|result=success",
                                  L"end-elevation"}));
}

TEST_F(InterpreterTest, BeforeVistaAnAdministratorRunsASectionInPlaceUnlessForced) {
  state_.isVistaOrLater = false;
  state_.isAdmin = true;
  int installsRunHere = 0;  // a stand-in for the delegated command: counts runs in place
  commands_.SetHandler(L"install", [&](RunFrame&, CommandParameters& line) {
    ++installsRunHere;
    line.SetResult(LineResult::Success);
    return Flow::Next;
  });
  EXPECT_EQ(Run({L"requires-elevation", L"install", L"end-elevation"}), kRunSuccess);
  EXPECT_TRUE(spawned_.empty());
  EXPECT_EQ(WorkingCopy()[0], L"requires-elevation|result=success");
  EXPECT_EQ(installsRunHere, 1);

  EXPECT_EQ(Run({L"requires-elevation|force=yes", L"install", L"end-elevation"}), kRunSuccess);
  EXPECT_EQ(spawned_, Lines{L"install"});
  EXPECT_TRUE(Logged("Info\tRun\tOS is XP, user is an administrator, 'force' parameter is 'yes', elevating."));
}

TEST_F(InterpreterTest, TheElevatedInstanceRunsItsSectionAndStopsAtItsEnd) {
  state_.isElevatedInstance = true;
  state_.rebootMode = kRebootWhenConvenient;
  sim().registry().PutString(platform::kHkeyCurrentUser, L"Software\\Tamber", L"Dir", L"C:\\T");
  const std::wstring read = L"read-registry-install-directory|registry-path=HKCU\\Software\\Tamber|"
                            L"registry-value-name=Dir|result=repeat";
  commands_.SetHandler(L"install", [](RunFrame&, CommandParameters& line) {
    line.SetResult(LineResult::Success);
    return Flow::Next;
  });
  EXPECT_EQ(Run({read, L"requires-elevation", L"install", L"end-elevation", L"wait"}), kRunReboot);
  EXPECT_TRUE(spawned_.empty());
  EXPECT_EQ(state_.installDirectory, L"C:\\T");
  EXPECT_EQ(WorkingCopy(), (Lines{read, L"requires-elevation", L"install|result=success",
                                  L"end-elevation", L"wait"}));
}

TEST_F(InterpreterTest, StopsFollowTheirCommandsRules) {
  commands_.SetHandler(L"abort", [](RunFrame& frame, CommandParameters& line) {
    line.SetParameter(L"result", L"success");
    return StopRunIf(frame, true);
  });
  commands_.SetHandler(L"download", [](RunFrame& frame, CommandParameters& line) {
    line.SetParameter(L"result", L"failure");
    return FailRunUnless(frame, false);
  });
  commands_.SetHandler(L"execute", [](RunFrame& frame, CommandParameters&) {
    return FailRunUnlessLeavingLine(frame, false);
  });
  state_.rebootMode = kRebootWhenConvenient;
  EXPECT_EQ(Run({L"abort", L"wait"}), kRunReboot);
  EXPECT_EQ(WorkingCopy(), (Lines{L"abort|result=success", L"wait"}));
  EXPECT_EQ(cancelled_, 0);

  EXPECT_EQ(Run({L"download|uri=a", L"wait"}), kRunFail);
  EXPECT_EQ(WorkingCopy(), (Lines{L"download|result=failure|uri=a", L"wait"}));
  EXPECT_EQ(cancelled_, 1);
  EXPECT_TRUE(Logged("Info\tRun\tReturn code 'fail', canceling BITS download jobs."));

  EXPECT_EQ(Run({L"execute|program=a", L"wait"}), kRunFail);
  EXPECT_EQ(WorkingCopy(), (Lines{L"execute|program=a", L"wait"}));
}

TEST_F(InterpreterTest, AFolderRepairStatusStaysWithTheRunAndEndsTheElevatedInstance) {
  commands_.SetHandler(L"validate-folder-permissions", [](RunFrame& frame, CommandParameters& line) {
    line.SetParameter(L"result", L"success");
    return TakeFolderPermissionsStatus(frame, kRunRetry);
  });
  EXPECT_EQ(Run({L"validate-folder-permissions", L"# next"}), kRunRetry);
  EXPECT_EQ(WorkingCopy(), (Lines{L"validate-folder-permissions|result=success", L"# next|result=success"}));

  state_.isElevatedInstance = true;
  EXPECT_EQ(Run({L"validate-folder-permissions", L"# next"}), kRunRetry);
  EXPECT_EQ(WorkingCopy(), (Lines{L"validate-folder-permissions", L"# next"}));
  EXPECT_TRUE(Logged("Error\tRun\tFailed to fix folder permissions, exiting elevated instance."));
}

TEST_F(InterpreterTest, ARefusedElevationStopsTheRunAndLeavesTheSectionToRetry) {
  spawnStatus_ = kRunFail;
  EXPECT_EQ(Run({L"requires-elevation", L"execute|program=a", L"end-elevation"}), kRunFail);
  EXPECT_EQ(WorkingCopy(), (Lines{L"requires-elevation", L"execute|program=a", L"end-elevation"}));
  EXPECT_EQ(cancelled_, 1);
}

TEST_F(InterpreterTest, ARestartAskedForByAnElevatedInstanceWithoutRebootLineIsWarnedAbout) {
  spawnStatus_ = kRunReboot;
  EXPECT_EQ(Run({L"requires-elevation", L"install", L"end-elevation"}), kRunReboot);
  EXPECT_TRUE(Logged("Warning\tRun\tThe reboot flag is set yet the 'reboot' command was never executed."));
}

TEST_F(InterpreterTest, WindowsUpdateAndServiceLinesForVistaAreSkippedOnOlderSystems) {
  state_.isVistaOrLater = false;
  EXPECT_EQ(Run({L"start-windows-service|if-os-vista=yes", L"windows-update-pause",
                 L"start-windows-service"}),
            kRunSuccess);
  EXPECT_EQ(WorkingCopy(), (Lines{L"start-windows-service|if-os-vista=yes|result=success",
                                  L"windows-update-pause|result=success",
                                  L"start-windows-service|result=success"}));
  EXPECT_TRUE(Logged("Info\tRun\t'start-windows-service' command specified the 'if-os-vista' "
                     "parameter set to 'yes', OS is not Vista or higher, skipping command."));
  EXPECT_TRUE(Logged("Info\tRun\t'windows-update-pause' command specified, OS is not Vista, skipping command."));
  // The line without if-os-vista runs on any system.
  EXPECT_EQ(CountLogged("Info\tStartWindowsService\tQuerying the configuration of the '' Windows Service ..."), 1u);
}

TEST_F(InterpreterTest, AFatalErrorEndsTheRunInOrderKeepingEveryResultSoFar) {
  commands_.SetHandler(L"wait", [](RunFrame&, CommandParameters&) -> Flow {
    ComUtil::ThrowIfFalse(false, "Wait", 7);
    return Flow::Next;
  });
  EXPECT_EQ(Run({L"# first", L"wait|seconds=1", L"# never"}), kRunFail);
  EXPECT_EQ(WorkingCopy(), (Lines{L"# first|result=success", L"wait|seconds=1", L"# never"}));
  EXPECT_EQ(cancelled_, 1);
  EXPECT_EQ(CountLogged("Error\tException\tException 0x80004005: "), 1u);
}

TEST_F(InterpreterTest, OnlyAWorkingCopyOtherThanTheScriptIsDeletedBeforeTheRun) {
  std::vector<bool> presentWhileRunning;
  commands_.SetHandler(L"wait", [&](RunFrame&, CommandParameters& line) {
    presentWhileRunning.push_back(sim().FileBytes(kWorkingCopy).has_value());
    line.SetParameter(L"result", L"success");
    return Flow::Next;
  });
  PutScript(kWorkingCopy, L"stale\r\n");
  Run({L"wait"});
  Run({L"wait"}, kWorkingCopy, kWorkingCopy);
  EXPECT_EQ(presentWhileRunning, (std::vector<bool>{false, true}));
}

TEST_F(InterpreterTest, TheDispatchTableNamesEveryCommandOnce) {
  // The families' rows come in family order; what counts is the set and that no name repeats.
  std::vector<std::wstring> names;
  for (const CommandEntry& entry : ProgramCommands().entries()) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  Lines expected{L"abort", L"alert", L"copy-file", L"delete-registry-run-once",
                 L"download", L"enable-msi-log", L"end-elevation", L"end-if", L"execute",
                 L"if-installed", L"if-not-installed", L"if-registry-check", L"install",
                 L"reboot", L"requires-elevation", L"save", L"set-special-folder-paths",
                 L"set-event", L"uninstall", L"validate-folder-permissions", L"self",
                 L"start-windows-service", L"wait", L"windows-update-pause",
                 L"windows-update-resume", L"read-registry-install-directory",
                 L"write-registry-string", L"write-registry-dword",
                 L"write-registry-run-once"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names, expected);
}

}  // namespace
}  // namespace setup
