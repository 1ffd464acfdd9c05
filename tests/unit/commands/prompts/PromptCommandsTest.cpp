// The "alert" and "abort" commands: the boxes they show, the abort request an answer leaves,
// the RunOnce value an abort removes, and the run that an abort ends.
#include "setup/commands/prompts/PromptCommands.h"

#include "setup/engine/Interpreter.h"
#include "tests/unit/support/SetupTestSupport.h"

namespace setup {
namespace {

namespace mb = platform::mb;
using Lines = std::vector<std::wstring>;

const std::wstring kRunOnceKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const std::wstring kSpanish217 =
    L"Instalación completa. Debe reiniciar su equipo para que los cambios tomen efecto. "
    L"¿Desea reiniciar su equipo ahora?";
const std::uint32_t kQuestionStyle = mb::YesNo | mb::IconQuestion | mb::DefButton2;

class PromptCommandsTest : public setuptest::SetupTest {
 protected:
  PromptCommandsTest() {
    processState().messageLanguage = 1033;
    sim().registry().PutString(platform::kHkeyCurrentUser, L"Software\\Vendor", L"Edition", L"Pro");
    sim().registry().PutString(platform::kHkeyCurrentUser, kRunOnceKey, L"Tamber4Setup",
                               L"\"C:\\Tamber4Setup.exe\" \"C:\\w.crvdat\"");
  }

  void Alert(const std::wstring& text) {
    CommandParameters line;
    line.Parse(text);
    RunCommandAlert(line, state_);
    EXPECT_EQ(line.GetParameter(L"result"), L"success") << text::WideToUtf8(text);
  }
  bool Abort(const std::wstring& text) {
    CommandParameters line;
    line.Parse(text);
    const bool stop = RunCommandAbort(line, state_);
    EXPECT_EQ(line.GetParameter(L"result"), L"success") << text::WideToUtf8(text);
    return stop;
  }
  bool RunOnceValuePresent() {
    return sim().registry().GetString(platform::kHkeyCurrentUser, kRunOnceKey, L"Tamber4Setup")
        .has_value();
  }
  const platform::MessageBoxRequest& LastBox() { return sim().Boxes().back().request; }

  SetupState state_;
};

TEST_F(PromptCommandsTest, ANoticeShowsTheLinesTextsWithItsIconAndLeavesTheAbortRequestAlone) {
  state_.abortRequested = true;
  sim().QueueAnswer(mb::IdCancel);
  Alert(L"alert|title=Tamber|message=Done.|icon=info");
  ASSERT_EQ(sim().Boxes().size(), 1u);
  EXPECT_EQ(LastBox().title, L"Tamber");
  EXPECT_EQ(LastBox().text, L"Done.");
  EXPECT_EQ(LastBox().style, mb::IconInformation);
  EXPECT_TRUE(state_.abortRequested);

  // No icon: the product icon, brought to the foreground. An empty message still shows.
  Alert(L"alert");
  ASSERT_EQ(sim().Boxes().size(), 2u);
  EXPECT_EQ(LastBox().text, L"");
  EXPECT_EQ(LastBox().style, mb::UserIcon | mb::SetForeground);
  EXPECT_EQ(LastBox().iconResource, 129u);
  EXPECT_TRUE(Logged("Info\tTamberMessageBox\tDisplaying message box with title '', message '' "
                     "and a Tamber icon."));
}

TEST_F(PromptCommandsTest, AQuestionsAnswerAssignsTheAbortRequestOfThatAnswer) {
  const struct {
    const wchar_t* flags;
    int answer;
    bool abort;
  } cases[] = {
      {L"|yes-no-set-abort-on-yes=yes", mb::IdYes, true},
      {L"|yes-no-set-abort-on-yes=yes", mb::IdNo, false},
      {L"|yes-no-set-abort-on-no=yes", mb::IdNo, true},
      {L"|yes-no-set-abort-on-no=yes", mb::IdYes, false},
      {L"|yes-no-set-abort-on-yes=yes|yes-no-set-abort-on-no=yes", mb::IdYes, true},
      {L"|yes-no-set-abort-on-yes=yes|yes-no-set-abort-on-no=yes", mb::IdNo, true},
      {L"|yes-no-set-abort-on-no=yes", 0, true},  // a box that could not be shown is no Yes
  };
  for (const auto& c : cases) {
    const std::wstring line = std::wstring(L"alert|title=Q|message=Go on?") + c.flags;
    SCOPED_TRACE(text::WideToUtf8(line) + " answered " + std::to_string(c.answer));
    state_.abortRequested = !c.abort;  // an earlier request is overwritten either way
    sim().QueueAnswer(c.answer);
    Alert(line);
    EXPECT_EQ(state_.abortRequested, c.abort);
  }
  // Every question has Yes/No with No as default and the question icon.
  for (const platform::sim::ShownBox& box : sim().Boxes())
    EXPECT_EQ(box.request.style, kQuestionStyle | mb::SetForeground);

  // Only "yes" makes a question, and a question ignores "icon".
  sim().QueueAnswer(mb::IdYes);
  Alert(L"alert|yes-no-set-abort-on-yes=no|yes-no-set-abort-on-no=YES|icon=warning");
  EXPECT_EQ(LastBox().style, mb::IconWarning);
  EXPECT_TRUE(state_.abortRequested);
  sim().QueueAnswer(mb::IdYes);
  Alert(L"alert|yes-no-set-abort-on-no=yes|icon=warning");
  EXPECT_EQ(LastBox().style, kQuestionStyle | mb::SetForeground);
  EXPECT_FALSE(state_.abortRequested);
}

TEST_F(PromptCommandsTest, ARegistryCheckDecidesWhetherTheAlertShows) {
  Alert(L"alert|if-registry-check=yes|registry-path=HKCU\\Software\\Vendor|"
        L"registry-value-name=Edition|registry-value-data=Home|yes-no-set-abort-on-no=yes");
  EXPECT_TRUE(sim().Boxes().empty());
  EXPECT_FALSE(state_.abortRequested);

  Alert(L"alert|if-registry-check=yes|registry-path=HKCU\\Software\\Vendor|"
        L"registry-value-name=Edition|registry-value-data=Pro|yes-no-set-abort-on-no=yes");
  EXPECT_EQ(sim().Boxes().size(), 1u);
  EXPECT_TRUE(state_.abortRequested);  // unanswered: the default answer No

  // Without "yes" the check is not made at all.
  Alert(L"alert|if-registry-check=Yes|registry-path=HKCU\\Software\\Gone|registry-value-name=X");
  EXPECT_EQ(sim().Boxes().size(), 2u);
}

TEST_F(PromptCommandsTest, TextsComeFromTheMessageTableInTheMessageLanguage) {
  processState().messageLanguage = 3082;
  Alert(L"alert|message-id-title=215|title=Setup|message-id-message=217|message=Restart?");
  EXPECT_EQ(LastBox().title, L"Instalación de Tamber 4");
  EXPECT_EQ(LastBox().text, kSpanish217);

  processState().messageLanguage = 1033;
  Alert(L"alert|message-id-title=215|title=Tamber 4 Setup|message-id-message=217|message=Restart?");
  EXPECT_EQ(LastBox().title, L"Tamber 4 Setup");
  EXPECT_EQ(LastBox().text, L"Restart?");
  // The message is looked up before the title.
  const std::vector<std::string> log = Log();
  const auto mismatch = std::find(log.begin(), log.end(),
                                  "Warning\tLookupMessage\tEnglish string from script 'Restart?' does "
                                  "not match English string from messages 'Setup is complete. You "
                                  "must restart your computer for the changes to take effect. "
                                  "Restart now?', using script string.");
  ASSERT_NE(mismatch, log.end());
  EXPECT_EQ(*(mismatch + 1), "Info\tTamberMessageBox\tDisplaying message box with title 'Tamber 4 "
                             "Setup', message 'Restart?' and a Tamber icon.");
}

TEST_F(PromptCommandsTest, AnAbortWithoutReasonLetsTheRunGoOn) {
  EXPECT_FALSE(Abort(L"abort|message=Bye|if-registry-check=no|force=no"));
  EXPECT_TRUE(Logged("Info\tRunCommandAbort\tNot Aborting (use the force=yes parameter to force an abort)."));
  EXPECT_FALSE(Logged("Info\tRunCommandAbort\tAborting"));
  EXPECT_TRUE(sim().Boxes().empty());
  EXPECT_TRUE(RunOnceValuePresent());
  EXPECT_FALSE(state_.abortRequested);
}

TEST_F(PromptCommandsTest, AForcedAbortShowsItsMessageAndRemovesThePendingResume) {
  sim().registry().PutString(platform::kHkeyCurrentUser, kRunOnceKey, L"Other", L"x.exe");
  EXPECT_TRUE(Abort(L"abort|force=yes|title=Tamber|message=Setup stops.|icon=error"));
  EXPECT_TRUE(Logged("Info\tRunCommandAbort\tAborting"));
  ASSERT_EQ(sim().Boxes().size(), 1u);
  EXPECT_EQ(LastBox().title, L"Tamber");
  EXPECT_EQ(LastBox().text, L"Setup stops.");
  EXPECT_EQ(LastBox().style, mb::IconError);
  EXPECT_FALSE(RunOnceValuePresent());
  EXPECT_TRUE(sim().registry().GetString(platform::kHkeyCurrentUser, kRunOnceKey, L"Other"));
  EXPECT_FALSE(state_.abortRequested);  // the status comes from the flag, which abort leaves
}

TEST_F(PromptCommandsTest, AnAbortWhoseMessageIsEmptyShowsNoBoxButStillRemovesTheResume) {
  EXPECT_TRUE(Abort(L"abort|force=yes|title=Tamber|message-id-message=9999"));
  EXPECT_TRUE(sim().Boxes().empty());
  EXPECT_FALSE(RunOnceValuePresent());
  EXPECT_TRUE(Logged("Warning\tLookupMessage\tCould not find localized string with Message ID "
                     "'9999' in the message table, using script's string value of ''."));
}

TEST_F(PromptCommandsTest, AnEarlierRequestOrATrueRegistryCheckAbortsWithoutForce) {
  const std::wstring check = L"abort|if-registry-check=yes|registry-path=HKCU\\Software\\Vendor|"
                             L"registry-value-name=Edition|registry-value-data=";
  EXPECT_TRUE(Abort(check + L"Pro"));
  EXPECT_FALSE(Abort(check + L"Home"));
  EXPECT_EQ(CountLogged("Info\tCheckRegistry\tReturning "), 2u);

  // An earlier request decides alone: the line's check is not even made.
  state_.abortRequested = true;
  EXPECT_TRUE(Abort(check + L"Home"));
  EXPECT_EQ(CountLogged("Info\tCheckRegistry\tReturning "), 2u);
  EXPECT_TRUE(state_.abortRequested);
}

// Whole runs: the question's answer decides whether a later "abort" ends the run, and with
// which status.
class PromptRunTest : public PromptCommandsTest {
 protected:
  PromptRunTest() { sim().files().MakeFolders(setuptest::kInstallFolder); }
  int Run(const Lines& lines) {
    std::wstring text;
    for (const std::wstring& line : lines) text += line + L"\r\n";
    PutScript(kSource, text);
    SessionServices services = DefaultSessionServices();
    return Interpret(state_, {kSource, kWorkingCopy, L""}, services);
  }
  // The "result" of each line of the working copy.
  Lines Results() {
    Lines results;
    for (const std::wstring& text : ScriptLines(kWorkingCopy)) {
      CommandParameters line;
      line.Parse(text);
      results.push_back(line.GetParameter(L"result"));
    }
    return results;
  }
  const std::wstring kSource = L"C:\\Media\\prompt.crvdat";
  const std::wstring kWorkingCopy = setuptest::kInstallFolder + L"prompt.crvdat";
  const Lines kScript = {L"alert|message=Stop now?|yes-no-set-abort-on-yes=yes",
                         L"abort|message=Stopped.", L"# after"};
};

TEST_F(PromptRunTest, AnAnswerAskingToAbortEndsTheRunAtTheNextAbortWithStatus2) {
  sim().QueueAnswer(mb::IdYes);
  EXPECT_EQ(Run(kScript), kRunFail);
  EXPECT_EQ(Results(), (Lines{L"success", L"success", L""}));
  ASSERT_EQ(sim().Boxes().size(), 2u);
  EXPECT_EQ(LastBox().text, L"Stopped.");
  EXPECT_FALSE(RunOnceValuePresent());
}

TEST_F(PromptRunTest, AnAnswerNotAskingToAbortLetsTheRunFinish) {
  sim().QueueAnswer(mb::IdNo);
  EXPECT_EQ(Run(kScript), kRunSuccess);
  EXPECT_EQ(Results(), (Lines{L"success", L"success", L"success"}));
  EXPECT_EQ(sim().Boxes().size(), 1u);
  EXPECT_TRUE(RunOnceValuePresent());

  // A forced abort without an abort request ends with the status the restart request gives.
  state_.rebootMode = kRebootWhenConvenient;
  EXPECT_EQ(Run({L"abort|force=yes", L"# after"}), kRunReboot);
  EXPECT_EQ(Results(), (Lines{L"success", L""}));
}

}  // namespace
}  // namespace setup
