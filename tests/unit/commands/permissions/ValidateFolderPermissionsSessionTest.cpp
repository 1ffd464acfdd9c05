// "validate-folder-permissions" in whole sessions: the retries run in real second instances
// of the program on the same simulated machine.
#include <gtest/gtest.h>

#include "setup/commands/permissions/FolderPermissions.h"
#include "setup/session/Tamber4Setup.h"
#include "tests/unit/commands/permissions/PermissionsTestSupport.h"

namespace {

using namespace permissionstest;
using platform::sim::SecurityCall;

const std::wstring kScript = L"C:\\Users\\User\\Downloads\\s.crvdat";

class ValidateFolderPermissionsSession : public PermissionsTest {
 protected:
  int RunSession() {
    PutScript(kScript, {L"validate-folder-permissions|folder=" + kFolder, L"# next"});
    const int status = setup::TamberMain(0, L"\"" + sessiontest::kExe + L"\" " + kScript);
    logging::ResetLogForTesting();
    return status;
  }
  int Count(const std::wstring& head) {
    int count = 0;
    for (const auto& start : sim().processes().Starts()) count += start.commandLine.rfind(head, 0) == 0;
    return count;
  }
};

TEST_F(ValidateFolderPermissionsSession, BothRepairsRetriedElevatedAndTheSecondCodeCounts) {
  sim().PutFile(L"C:\\Windows\\System32\\takeown.exe", "");
  security().SetDacl(kFolder, {{kAllowed, 0x13, kFull, kAdmins}});
  security().SetOwner(kFolder, kAdmins);
  // This process may not write the DACL; the first elevated instance's takeown.exe fails.
  security().FailCall(SecurityCall::WriteDacl, platform::err::AccessDenied);
  security().QueueTakeOwnExitCode(5);
  EXPECT_EQ(RunSession(), 0);
  EXPECT_EQ(Results(sessiontest::kInstallFolder + L"s.crvdat"), (std::vector<std::wstring>{L"success", L"success"}));
  EXPECT_EQ(Count(L"\"" + sessiontest::kExe + L"\" /elevated"), 2);
  EXPECT_EQ(Count(L"takeown.exe /F"), 3);  // the first instance, this process, the second instance
  EXPECT_TRUE(Logged("Error\tRun\tFailed to fix folder permissions, exiting elevated instance."));
  EXPECT_TRUE(Logged("Info\tRun\tFixed folder permissions, exiting elevated instance."));
  EXPECT_TRUE(Logged("Info\tSpawnElevatedInstance\tElevated process returned exit code 2 (fail), aborting."));
  EXPECT_TRUE(Logged("Info\tSpawnElevatedInstance\tElevated process returned exit code 0 (success)."));
  // The first instance repaired the DACL, the second took the folder.
  EXPECT_EQ(security().DaclWriteCount(), 1);
  EXPECT_EQ(security().ObjectSecurity(kFolder).owner, kUser);
  EXPECT_TRUE(setup::FolderPermissions(kFolder, L"").VerifyOwner());
  // Each instance left the line as it was in its own copy.
  EXPECT_EQ(Results(sessiontest::kInstallFolder + L"sSpawned2.crvdat"), (std::vector<std::wstring>{L"", L""}));
}

}  // namespace
