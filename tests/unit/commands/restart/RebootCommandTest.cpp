// The "reboot" command: its table of cases, the restart question, the RunOnce entry that
// resumes the script, and whole sessions that stop for a restart and resume after it.
#include <gtest/gtest.h>

#include "platform/UserInterface.h"
#include "setup/commands/restart/RebootCommand.h"
#include "setup/session/Tamber4Setup.h"
#include "tests/unit/support/SimSessionSupport.h"

namespace {

using namespace sessiontest;
namespace mb = platform::mb;

const std::wstring kRunOnce = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const std::wstring kScript = L"C:\\Users\\User\\Downloads\\r.crvdat";
const std::wstring kWorkingCopy = kInstallFolder + L"r.crvdat";

class RebootCommand : public SessionTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(logging::OpenLog(0, true, true));
    setup::processState().messageLanguage = 1033;
    state_.script.lines = {L"reboot", L"wait"};
  }
  // Runs `text` as the first of two lines, with `mode` pending; returns whether it stopped.
  bool Run(const std::wstring& text, int mode, bool restartForced = false) {
    state_.rebootMode = mode;
    line_.Parse(text);
    return setup::RunCommandReboot(line_, state_, kWorkingCopy, restartForced);
  }
  std::optional<std::wstring> RunOnceValue() {
    return sim().registry().GetString(platform::kHkeyCurrentUser, kRunOnce, L"Tamber4Setup");
  }

  setup::SetupState state_;
  setup::CommandParameters line_;
};

TEST_F(RebootCommand, StopsOrGoesOnByForceAndThePendingRequest) {
  struct Case {
    const wchar_t* line;
    int before;
    int answer;  // 0: no question expected
    bool stops;
    int after;
  };
  const Case cases[] = {
      {L"reboot|force=yes", setup::kRebootNone, 0, true, setup::kRebootNone},
      {L"reboot|force=yes", setup::kRebootAsSoonAsPossible, 0, true, setup::kRebootAsSoonAsPossible},
      {L"reboot|force=if-reboot-now", setup::kRebootAsSoonAsPossible, mb::IdYes, true, setup::kRebootAsSoonAsPossible},
      {L"reboot|force=if-reboot-now", setup::kRebootAsSoonAsPossible, mb::IdNo, false, setup::kRebootWhenConvenient},
      {L"reboot|force=if-reboot-now", setup::kRebootWhenConvenient, 0, true, setup::kRebootWhenConvenient},
      {L"reboot", setup::kRebootWhenConvenient, 0, true, setup::kRebootWhenConvenient},
      {L"reboot|force=no", setup::kRebootAsSoonAsPossible, 0, false, setup::kRebootAsSoonAsPossible},
      {L"reboot|force=if-reboot-now", setup::kRebootNone, 0, false, setup::kRebootNone},
  };
  for (const Case& c : cases) {
    const std::size_t boxes = sim().Boxes().size();
    if (c.answer != 0) sim().QueueAnswer(c.answer);
    EXPECT_EQ(Run(c.line, c.before), c.stops) << c.line << " " << c.before;
    EXPECT_EQ(state_.rebootMode, c.after) << c.line << " " << c.before;
    EXPECT_EQ(sim().Boxes().size(), boxes + (c.answer != 0 ? 1 : 0)) << c.line << " " << c.before;
    EXPECT_EQ(line_.GetParameter(L"result"), L"success");
  }
  EXPECT_TRUE(Logged("Info\tRunCommandReboot\tUser elected to restart now."));
  EXPECT_TRUE(Logged("Info\tRunCommandReboot\tUser elected to restart later, downgrading "
                     "reboot-required status to 'later'."));
  EXPECT_EQ(CountLogged("Info\tRunCommandReboot\tReboot flagged."), 5);
  EXPECT_EQ(CountLogged("Info\tRunCommandReboot\tReboot not required or forced."), 3);
  // The elevated section before asked for a restart now.
  EXPECT_TRUE(Run(L"reboot", setup::kRebootNone, true));
}

TEST_F(RebootCommand, TheQuestionLooksUpItsTitleBeforeItsMessage) {
  sim().QueueAnswer(mb::IdYes);
  EXPECT_TRUE(Run(L"reboot|force=if-reboot-now|message=Restart now?|title=Tamber",
                  setup::kRebootAsSoonAsPossible));
  const std::vector<std::string> log = Messages();
  const auto title = std::find(log.begin(), log.end(),
                               "Info\tLookupMessage\tMessage ID not specified, using script's "
                               "string value of 'Tamber'.");
  const auto message = std::find(log.begin(), log.end(),
                                 "Info\tLookupMessage\tMessage ID not specified, using script's "
                                 "string value of 'Restart now?'.");
  ASSERT_NE(title, log.end());
  ASSERT_NE(message, log.end());
  EXPECT_LT(title, message);
}

TEST_F(RebootCommand, AStopBeforeTheLastLineRegistersTheResume) {
  EXPECT_TRUE(Run(L"reboot|force=yes", setup::kRebootNone));
  EXPECT_EQ(RunOnceValue(), L"\"" + kExe + L"\" \"" + kWorkingCopy + L"\"");

  sim().registry().Clear();
  state_.script.currentLine = 1;  // the last line
  EXPECT_TRUE(Run(L"reboot|force=yes", setup::kRebootNone));
  EXPECT_FALSE(RunOnceValue().has_value());
}

TEST_F(RebootCommand, TheQuestionUsesTheLinesTextsOrTheUsersLanguage) {
  sim().QueueAnswer(mb::IdNo);
  Run(L"reboot|force=if-reboot-now|title=Restart|message-id-message=238|message=The system must "
      L"restart to complete Setup. Setup will launch Tamber 4 after the restart. Restart now?",
      setup::kRebootAsSoonAsPossible);
  ASSERT_EQ(sim().Boxes().size(), 1u);
  EXPECT_EQ(sim().Boxes()[0].request.title, L"Restart");
  EXPECT_EQ(sim().Boxes()[0].request.text.substr(0, 31), L"The system must restart to comp");
  EXPECT_EQ(sim().Boxes()[0].request.style, mb::YesNo | mb::UserIcon | mb::SetForeground);
  EXPECT_EQ(sim().Boxes()[0].request.iconResource, 129u);

  sim().SetLanguage(0x0C0A);
  Run(L"reboot|force=if-reboot-now", setup::kRebootAsSoonAsPossible);
  EXPECT_EQ(sim().Boxes()[1].request.title, L"Instalación de Tamber 4");
  EXPECT_EQ(sim().Boxes()[1].request.text.substr(0, 20), L"Instalación completa");
}

TEST_F(RebootCommand, AUserLanguageWithoutTextsGetsTheEnglishQuestion) {
  sim().SetLanguage(0x0407);
  Run(L"reboot|force=if-reboot-now", setup::kRebootAsSoonAsPossible);
  ASSERT_EQ(sim().Boxes().size(), 1u);
  EXPECT_EQ(sim().Boxes()[0].request.title, L"Tamber 4 Setup");
  EXPECT_EQ(sim().Boxes()[0].request.text,
            L"Setup is complete. You must restart your computer for the changes to take effect. "
            L"Restart now?");
}

// Whole sessions: the program started as Windows would start it.
class RebootSession : public SessionTest {
 protected:
  int RunProgram(const std::wstring& commandLine) {
    const int status = setup::TamberMain(0, commandLine);
    logging::ResetLogForTesting();
    return status;
  }
  std::optional<std::wstring> RunOnceValue() {
    return sim().registry().GetString(platform::kHkeyCurrentUser, kRunOnce, L"Tamber4Setup");
  }
  std::size_t Restarts() { return sim().shutdown().Requests().size(); }
};

TEST_F(RebootSession, StopsForTheRestartAndResumesAfterItThroughRunOnce) {
  sim().PutProgram(L"C:\\Tools\\a.exe", {});
  sim().PutProgram(L"C:\\Tools\\b.exe", {});
  PutScript(kScript, {L"execute|program=C:\\Tools\\a.exe", L"reboot|force=yes",
                      L"execute|program=C:\\Tools\\b.exe"});
  sim().QueueAnswer(mb::IdNo);  // the restart question at exit
  EXPECT_EQ(RunProgram(L"\"" + kExe + L"\" " + kScript), 0);
  EXPECT_EQ(Results(kWorkingCopy), (std::vector<std::wstring>{L"success", L"success", L""}));
  ASSERT_EQ(sim().Boxes().size(), 1u);
  EXPECT_EQ(sim().Boxes()[0].request.title, L"Tamber 4 Setup");
  EXPECT_EQ(Restarts(), 0u);
  EXPECT_EQ(sim().processes().Starts().size(), 1u);

  // The next logon: Windows runs the RunOnce entry, which takes the rest of the script.
  const std::optional<std::wstring> resume = RunOnceValue();
  ASSERT_TRUE(resume.has_value());
  sim().registry().Put(platform::kHkeyCurrentUser, kRunOnce, L"Tamber4Setup", 0, {});
  EXPECT_EQ(RunProgram(*resume), 0);
  EXPECT_EQ(Results(kWorkingCopy), (std::vector<std::wstring>{L"success", L"success", L"success"}));
  ASSERT_EQ(sim().processes().Starts().size(), 2u);
  EXPECT_EQ(sim().processes().Starts()[1].commandLine, L"C:\\Tools\\b.exe");
}

TEST_F(RebootSession, ARestartNowIsAskedOnceAndRestartsAtExit) {
  sim().PutProgram(L"C:\\Tools\\a.exe", {3010});
  PutScript(kScript, {L"execute|program=C:\\Tools\\a.exe|reboot-now-on-exit-code=3010", L"reboot"});
  // Pending "as soon as possible" without force: the line goes on and nothing stops the run.
  EXPECT_EQ(RunProgram(L"\"" + kExe + L"\" " + kScript), 0);
  EXPECT_EQ(Restarts(), 0u);
  EXPECT_TRUE(Logged("Warning\tRun\tThe reboot flag is set yet the 'reboot' command was never executed."));

  PutScript(kScript, {L"execute|program=C:\\Tools\\a.exe|reboot-now-on-exit-code=3010",
                      L"reboot|force=if-reboot-now"});
  sim().QueueAnswer(mb::IdYes);  // the command's question; none follows at exit for 4
  EXPECT_EQ(RunProgram(L"\"" + kExe + L"\" " + kScript), 4);
  EXPECT_EQ(sim().Boxes().size(), 1u);
  ASSERT_EQ(Restarts(), 1u);
  EXPECT_EQ(sim().shutdown().Requests()[0].flags, platform::ewx::Reboot);
  EXPECT_EQ(sim().shutdown().Requests()[0].reason, 0x80040002u);
  EXPECT_FALSE(RunOnceValue().has_value());  // "reboot" was the last line

  EXPECT_TRUE(Logged("Info\tTamber4Setup\tShutting down Windows."));
}

}  // namespace
