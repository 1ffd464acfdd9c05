// The rights check, the elevation prompt and the spawn of an elevated instance, against the
// simulated machine with a stand-in for the second instance.
#include <gtest/gtest.h>

#include "ComUtil/IssueError.h"
#include "platform/sim/SimSecurity.h"
#include "setup/engine/RunStatus.h"
#include "setup/session/Elevation.h"
#include "setup/session/SetupState.h"
#include "tests/unit/support/SimSessionSupport.h"

namespace {

using platform::sim::SecurityCall;
using namespace sessiontest;

class Elevation : public SessionTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(logging::OpenLog(0, true, true));
    sim().files().MakeFolders(kInstallFolder);
  }

  // The second instance is a stand-in that records its command line and the script it
  // finds, and ends with `exitCode`.
  void StubInstance(std::uint32_t exitCode) {
    sim().processes().SetInstanceRunner([this, exitCode](const std::wstring& commandLine, bool) {
      instanceCommandLines_.push_back(commandLine);
      instanceSawResults_ = Results(kWorkingCopy);
      return exitCode;
    });
  }

  setup::SetupState StateWithScript() {
    setup::SetupState state;
    state.script.lines = {L"execute|program=a.exe|result=success", L"requires-elevation",
                          L"execute|program=b.exe"};
    return state;
  }

  const std::wstring kWorkingCopy = kInstallFolder + L"s.crvdat";
  std::vector<std::wstring> instanceCommandLines_;
  std::vector<std::wstring> instanceSawResults_;
};

TEST_F(Elevation, RestrictedTokenIsNotElevatedAndFullTokenIs) {
  EXPECT_FALSE(setup::IsProcessElevated());
  sim().security().SetElevated(true);
  EXPECT_TRUE(setup::IsProcessElevated());
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Info\tIsProcessElevated\tProcess is not elevated.",
                                                  "Info\tIsProcessElevated\tProcess is elevated."}));
  EXPECT_EQ(sim().security().OpenTokenCount(), 0u);
}

TEST_F(Elevation, NoTokenLogsBothFailuresAndCountsAsNotElevated) {
  sim().security().SetElevated(true);
  sim().security().FailCall(SecurityCall::OpenProcessToken, platform::err::AccessDenied);
  EXPECT_FALSE(setup::IsProcessElevated());
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{
                "Error\tIsProcessElevated\tFailed to retrieve an access token. OpenProcessToken "
                "set last error 0x5, 'Access is denied.'.",
                "Error\tIsProcessElevated\tDuplicateToken failed with 0x5, 'Access is denied.'.",
                "Info\tIsProcessElevated\tProcess is not elevated."}));
}

TEST_F(Elevation, EveryFailingStepIsLoggedAndCountsAsNotElevated) {
  const std::pair<SecurityCall, const char*> steps[] = {
      {SecurityCall::DuplicateToken, "DuplicateToken"},
      {SecurityCall::AllocateAndInitializeSid, "AllocateAndInitializeSid"},
      {SecurityCall::InitializeSecurityDescriptor, "InitializeSecurityDescriptor"},
      {SecurityCall::InitializeAcl, "InitializeAcl"},
      {SecurityCall::AddAccessAllowedAce, "AddAccessAllowedAce"},
      {SecurityCall::SetSecurityDescriptorDacl, "SetSecurityDescriptorDacl"},
      {SecurityCall::IsValidSecurityDescriptor, "IsValidSecurityDescriptor"},
      {SecurityCall::AccessCheck, "AccessCheck"}};
  sim().security().SetElevated(true);
  for (const auto& [call, name] : steps) {
    sim().security().FailCall(call, platform::err::NotEnoughMemory);
    EXPECT_FALSE(setup::IsProcessElevated()) << name;
    EXPECT_EQ(CountLogged(std::string("Error\tIsProcessElevated\t") + name +
                          " failed with 0x8, 'Not enough memory resources are available to "
                          "process this command.'."),
              1)
        << name;
  }
  EXPECT_EQ(sim().security().OpenTokenCount(), 0u);
  EXPECT_TRUE(setup::IsProcessElevated());
}

TEST_F(Elevation, RefusedPromptWarnsAndGivesNoHandle) {
  logging::LogSeverityMask.store(logging::Error | logging::Warning | logging::Info | logging::Debug);
  sim().processes().QueueElevationAnswer(false);
  EXPECT_EQ(setup::ExecuteElevated(kExe, L"/elevated"), platform::kNoHandle);
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{
                "Info\tExecuteElevated\tLaunching with ShellExecuteEx "
                "'C:\\Users\\User\\Downloads\\Tamber4Setup.exe', command line '/elevated'.",
                "Debug\tExecuteElevated\tShellExecuteEx returned FALSE, error code is 5, "
                "GetLastError reports 0x4C7: 'The operation was canceled by the user.'.",
                "Warning\tExecuteElevated\tElevation was canceled by the user, aborting."}));
  EXPECT_EQ(sim().processes().ElevationPromptCount(), 1);
}

TEST_F(Elevation, ParametersCarryTheQuotedWorkingCopyAndTheSpawnNumber) {
  EXPECT_EQ(setup::ElevatedInstanceParameters(L"C:\\a b\\s.crvdat", 3),
            L"/elevated \"C:\\a b\\s.crvdat\" 3");
  EXPECT_EQ(setup::ElevatedInstanceParameters(L"", 3), L"/elevated");
}

TEST_F(Elevation, SpawnSavesTheScriptFirstAndNumbersTheInstances) {
  StubInstance(0);
  setup::SetupState state = StateWithScript();
  setup::CommandParameters line;
  line.Parse(state.script.lines[2]);
  EXPECT_EQ(setup::SpawnElevatedInstance(state, line, kWorkingCopy), setup::kRunSuccess);
  EXPECT_EQ(instanceSawResults_, (std::vector<std::wstring>{L"success", L"", L""}));
  EXPECT_EQ(setup::SpawnElevatedInstance(state, line, kWorkingCopy), setup::kRunSuccess);
  EXPECT_EQ(setup::SpawnElevatedInstance(state, line, L""), setup::kRunSuccess);
  const std::wstring quotedExe = L"\"" + kExe + L"\" ";
  EXPECT_EQ(instanceCommandLines_,
            (std::vector<std::wstring>{quotedExe + L"/elevated \"" + kWorkingCopy + L"\" 1",
                                       quotedExe + L"/elevated \"" + kWorkingCopy + L"\" 2",
                                       quotedExe + L"/elevated"}));
  EXPECT_EQ(state.spawnCount, 3);
  EXPECT_EQ(sim().processes().OpenHandleCount(), 0u);
}

TEST_F(Elevation, ExitCodesSetResultRestartRequestAndLogLine) {
  struct Case {
    std::uint32_t code;
    const wchar_t* result;
    std::int32_t rebootMode;
    const char* message;
  };
  const Case cases[] = {
      {0, L"success", 0, "Elevated process returned exit code 0 (success)."},
      {1, L"failure", 0, "Elevated process returned exit code 1 (retry)."},
      {2, L"failure", 0, "Elevated process returned exit code 2 (fail), aborting."},
      {3, L"success", 1,
       "Elevated process returned exit code 3 (reboot), flagging for reboot required when "
       "convenient."},
      {4, L"success", 2,
       "Elevated process returned exit code 4 (rebootnow), flagging for reboot required as soon "
       "as possible."},
      {0xC0000005u, L"failure", 0, "Elevated process returned exit code 0xC0000005, aborting."}};
  for (const Case& c : cases) {
    StubInstance(c.code);
    setup::SetupState state = StateWithScript();
    setup::CommandParameters line;
    EXPECT_EQ(setup::SpawnElevatedInstance(state, line, kWorkingCopy), static_cast<int>(c.code));
    EXPECT_EQ(line.GetParameter(L"result"), c.result) << c.code;
    EXPECT_EQ(state.rebootMode, c.rebootMode) << c.code;
    EXPECT_TRUE(Logged(std::string("Info\tSpawnElevatedInstance\t") + c.message)) << c.message;
  }
}

TEST_F(Elevation, RefusedSpawnShowsTheSectionsBoxOnlyWhenItHasAMessage) {
  setup::SetupState state = StateWithScript();
  setup::CommandParameters line;
  line.Parse(L"execute|program=b.exe|icon=warning");
  sim().processes().QueueElevationAnswer(false);
  EXPECT_EQ(setup::SpawnElevatedInstance(state, line, kWorkingCopy), setup::kRunFail);
  EXPECT_TRUE(sim().Boxes().empty());

  state.elevationTitle = L"Setup";
  state.elevationMessage = L"Administrator rights are needed.";
  sim().processes().QueueElevationAnswer(false);
  EXPECT_EQ(setup::SpawnElevatedInstance(state, line, kWorkingCopy), setup::kRunFail);
  ASSERT_EQ(sim().Boxes().size(), 1u);
  EXPECT_EQ(sim().Boxes()[0].request.title, L"Setup");
  EXPECT_EQ(sim().Boxes()[0].request.text, L"Administrator rights are needed.");
  EXPECT_EQ(sim().Boxes()[0].request.style & platform::mb::IconWarning, platform::mb::IconWarning);
  EXPECT_EQ(line.GetParameter(L"result"), L"failure");
  EXPECT_EQ(CountLogged("Error\tSpawnElevatedInstance\tShellExecuteEx failed to return a process handle."), 2);
  EXPECT_EQ(state.spawnCount, 3);  // each attempt used its number
}

TEST_F(Elevation, FailingWaitIsFatalAndClosesTheHandle) {
  StubInstance(0);
  sim().kernel().FailWaitsOn<platform::sim::SimRunningProcess>();
  setup::SetupState state = StateWithScript();
  setup::CommandParameters line;
  EXPECT_THROW(setup::SpawnElevatedInstance(state, line, kWorkingCopy), ComUtil::_com_error);
  EXPECT_EQ(sim().processes().OpenHandleCount(), 0u);
}

}  // namespace
