// "validate-folder-permissions": the folder rules, the ownership check with takeown.exe and
// the elevated retries, against the simulated machine with a stand-in elevated instance.
#include <gtest/gtest.h>

#include <deque>
#include <optional>

#include "setup/commands/permissions/FolderPermissions.h"
#include "setup/commands/permissions/PermissionCommands.h"
#include "setup/session/SetupState.h"
#include "tests/unit/commands/permissions/PermissionsTestSupport.h"

namespace {

using namespace permissionstest;
using platform::sim::SecurityCall;

const std::wstring kTakeOwn = L"C:\\Windows\\System32\\takeown.exe";
const std::wstring kWorkingCopy = sessiontest::kInstallFolder + L"s.crvdat";

class ValidateFolderPermissions : public PermissionsTest {
 protected:
  void SetUp() override {
    PermissionsTest::SetUp();
    sim().files().MakeFolders(sessiontest::kInstallFolder);
    sim().PutFile(kTakeOwn, "");
    state_.workingFolder = L"C:\\Users\\User\\Downloads\\";
    state_.script.lines = {L"validate-folder-permissions|folder=" + kFolder};
    // The elevated instance is a stand-in that ends with the next queued code.
    sim().processes().SetInstanceRunner([this](const std::wstring&, bool elevated) {
      EXPECT_TRUE(elevated);
      ++spawns_;
      const std::uint32_t code = instanceCodes_.empty() ? 0 : instanceCodes_.front();
      if (!instanceCodes_.empty()) instanceCodes_.pop_front();
      return code;
    });
  }

  int Run(const std::wstring& text) {
    line_ = setup::CommandParameters();
    line_.Parse(text);
    line_.SetResult(setup::LineResult::Failure);  // as the interpreter presets it
    Mark();
    return setup::RunCommandValidateFolderPermissions(state_, line_, kWorkingCopy);
  }
  std::wstring Result() const { return line_.GetParameter(L"result"); }
  std::vector<std::wstring> TakeOwnRuns() {
    std::vector<std::wstring> runs;
    for (const auto& start : sim().processes().Starts())
      if (start.commandLine.rfind(L"takeown.exe", 0) == 0) runs.push_back(start.commandLine);
    return runs;
  }

  setup::SetupState state_;
  setup::CommandParameters line_;
  std::deque<std::uint32_t> instanceCodes_;
  int spawns_ = 0;
};

struct FolderCase {
  const char* name;
  std::wstring line;
  bool fat;
  const char* expectedLine;
};

TEST_F(ValidateFolderPermissions, FolderRulesSkipWhatCannotBeCheckedAndSucceed) {
  sim().PutFile(kFolder + L"\\readme.txt", "x");
  sim().files().MakeFolders(L"C:\\Users\\User\\Downloads\\Data");
  sim().files().SetCurrentFolder(L"C:\\");  // "Data" is not found from there
  state_.installDirectory = kFolder;
  const FolderCase cases[] = {
      {"no folder parameter", L"validate-folder-permissions", false,
       "Error\tRunCommandValidateFolderPermissions\t'folder' parameter must be specified."},
      {"a folder that does not exist is taken below the executable's folder",
       L"validate-folder-permissions|folder=C:\\Nowhere", false,
       "Error\tRunCommandValidateFolderPermissions\tDirecotry 'C:\\Users\\User\\Downloads\\C:\\Nowhere' not found."},
      {"a file", L"validate-folder-permissions|folder=C:\\Program Files\\Tamber4\\readme.txt", false,
       "Error\tRunCommandValidateFolderPermissions\tDirecotry 'C:\\Program Files\\Tamber4\\readme.txt' not found."},
      {"an unknown special folder", L"validate-folder-permissions|folder=%Nowhere%\\x", false,
       "Error\tRunCommandValidateFolderPermissions\tDirecotry '%Nowhere%\\x' not found."},
      {"a volume without ACLs", L"validate-folder-permissions|folder=%InstallDirectory%", true,
       "Info\tRunCommandValidateFolderPermissions\tVolume for 'C:\\Program Files\\Tamber4' does not support ACLs; ignoring this folder."},
      {"a relative folder below the executable's folder", L"validate-folder-permissions|folder=Data", false,
       "Info\tVerifyOwner\tChecking ownership of install directory target 'C:\\Users\\User\\Downloads\\Data' Owner: Domain name: 'TAMBER-PC', Account name: 'User'"},
      {"an absolute folder with a trailing backslash", L"validate-folder-permissions|folder=C:\\Program Files\\Tamber4\\", false,
       "Info\tRunCommandValidateFolderPermissions\tPermissions are good."},
  };
  for (const FolderCase& c : cases) {
    SCOPED_TRACE(c.name);
    security().SetVolumeAcls(L'C', !c.fat);
    EXPECT_EQ(Run(c.line), 0);
    EXPECT_EQ(Result(), L"success");
    EXPECT_TRUE(LoggedNow(c.expectedLine));
  }
  EXPECT_EQ(spawns_, 0);
  EXPECT_EQ(security().DaclWriteCount(), 0);
  EXPECT_TRUE(TakeOwnRuns().empty());
}

TEST_F(ValidateFolderPermissions, AGoodFolderLogsBothChecksGood) {
  EXPECT_EQ(Run(L"validate-folder-permissions|folder=" + kFolder), 0);
  EXPECT_TRUE(LoggedNow("Info\tRunCommandValidateFolderPermissions\tPermissions are good."));
  EXPECT_TRUE(LoggedNow("Info\tVerifyOwner\tFile and Process Domain name and Account names match."));
  EXPECT_TRUE(LoggedNow("Info\tRunCommandValidateFolderPermissions\tInstall Directory ownership is good."));
  EXPECT_EQ(Result(), L"success");
}

TEST_F(ValidateFolderPermissions, ARepairWithoutElevationRewritesTheDaclAndGoesOnToTheOwner) {
  security().SetDacl(kFolder, {{kAllowed, 0x13, kFull, kAdmins}});
  EXPECT_EQ(Run(L"validate-folder-permissions|folder=" + kFolder), 0);
  EXPECT_EQ(security().DaclWriteCount(), 1);
  EXPECT_FALSE(LoggedNow("Info\tRunCommandValidateFolderPermissions\tPermissions are good."));
  EXPECT_TRUE(LoggedNow("Info\tRunCommandValidateFolderPermissions\tInstall Directory ownership is good."));
  EXPECT_EQ(spawns_, 0);
}

struct RetryCase {
  const char* name;
  bool elevated;
  bool daclWriteFails;
  bool ownedByAdministrators;
  std::deque<std::uint32_t> takeOwnCodes;
  std::deque<std::uint32_t> instanceCodes;
  int expectedCode;
  int expectedSpawns;
  const char* expectedLine;
};

TEST_F(ValidateFolderPermissions, WhatCannotBeRepairedGoesToTheElevatedInstanceOrFails) {
  const RetryCase cases[] = {
      {"DACL write refused, the elevated instance repairs it", false, true, false, {}, {0}, 0, 1,
       "Warning\tRunCommandValidateFolderPermissions\tFailed to fix folder permissions, spawing an elevated instance to try again."},
      {"DACL write refused, the elevated instance fails", false, true, false, {}, {2}, 2, 1,
       "Info\tSpawnElevatedInstance\tElevated process returned exit code 2 (fail), aborting."},
      {"DACL write refused in the elevated instance", true, true, false, {}, {}, 2, 0,
       "Error\tRunCommandValidateFolderPermissions\tFailed to fix folder permissions when elevated."},
      {"owned by Administrators, takeown.exe returns 1", false, false, true, {1}, {0}, 0, 1,
       "Warning\tRunCommandValidateFolderPermissions\tFailed to take ownership, spawing an elevated instance to try again."},
      {"owned by Administrators, takeown.exe succeeds", false, false, true, {0}, {}, 0, 0,
       "Info\tTakeOwnership\t'takeown.exe' returned exit code 0."},
      {"owned by Administrators, takeown.exe fails in the elevated instance", true, false, true, {5}, {}, 2, 0,
       "Error\tRunCommandValidateFolderPermissions\tFailed to set ownership to user account. Ownership of 'C:\\Program Files\\Tamber4' and its children should be changed manually."},
      {"both fail: two retries, the second's success counts", false, true, true, {1}, {2, 0}, 0, 2,
       "Info\tSpawnElevatedInstance\tElevated process returned exit code 0 (success)."},
      {"both fail: two retries, the second's retry counts", false, true, true, {1}, {0, 1}, 1, 2,
       "Info\tSpawnElevatedInstance\tElevated process returned exit code 1 (retry)."},
      {"both fail in the elevated instance", true, true, true, {1}, {}, 2, 0,
       "Error\tTakeOwnership\t'takeown.exe' returned exit code 1."},
  };
  for (const RetryCase& c : cases) {
    SCOPED_TRACE(c.name);
    state_.isElevatedInstance = c.elevated;
    security().SetDacl(kFolder, {{kAllowed, 0x07, kFull, kSystem}, {kAllowed, 0x13, kFull, kAdmins}});
    security().SetOwner(kFolder, c.ownedByAdministrators ? kAdmins : kUser);
    if (c.daclWriteFails) security().FailCall(SecurityCall::WriteDacl, platform::err::AccessDenied);
    for (std::uint32_t code : c.takeOwnCodes) security().QueueTakeOwnExitCode(code);
    instanceCodes_ = c.instanceCodes;
    spawns_ = 0;
    EXPECT_EQ(Run(L"validate-folder-permissions|folder=" + kFolder), c.expectedCode);
    EXPECT_EQ(Result(), c.expectedCode == 0 ? L"success" : L"failure");
    EXPECT_EQ(spawns_, c.expectedSpawns);
    EXPECT_TRUE(LoggedNow(c.expectedLine));
    security().FailCall(SecurityCall::WriteDacl, 0, 0);
  }
}

TEST_F(ValidateFolderPermissions, TakeOwnershipGetsTheFolderWithoutItsTrailingBackslash) {
  sim().files().MakeFolders(kFolder + L"\\bin");
  security().SetOwner(kFolder, kAdmins);
  security().SetOwner(kFolder + L"\\bin", kAdmins);
  security().QueueTakeOwnExitCode(0);
  EXPECT_EQ(Run(L"validate-folder-permissions|folder=" + kFolder + L"\\"), 0);
  EXPECT_EQ(TakeOwnRuns(), std::vector<std::wstring>{L"takeown.exe /F \"C:\\Program Files\\Tamber4\" /R"});
  EXPECT_TRUE(LoggedNow("Info\tTakeOwnership\tLaunching 'C:\\Windows\\System32\\takeown.exe' with CreateProcess, command line: takeown.exe /F \"C:\\Program Files\\Tamber4\" /R."));
  EXPECT_EQ(security().ObjectSecurity(kFolder + L"\\bin").owner, kUser);
  EXPECT_EQ(spawns_, 0);
}

TEST_F(ValidateFolderPermissions, AMissingTakeOwnAsksTheElevatedInstance) {
  sim().files().Delete(kTakeOwn);
  security().SetOwner(kFolder, kAdmins);
  EXPECT_EQ(Run(L"validate-folder-permissions|folder=" + kFolder), 0);
  EXPECT_TRUE(LoggedNow("Error\tTakeOwnership\tFile 'C:\\Windows\\System32\\takeown.exe' not found."));
  EXPECT_EQ(spawns_, 1);
}

struct OwnerCase {
  const char* name;
  std::wstring target;
  bool targetOwnedByUser;
  std::optional<SecurityCall> failing;
  bool expected;
  const char* expectedLine;
};

TEST_F(ValidateFolderPermissions, OwnerChecksThatCannotBeMadeCountAsGood) {
  sim().PutFile(kFolder + L"\\app.exe", "x");
  const OwnerCase cases[] = {
      {"the folder is owned by Administrators", L"", false, std::nullopt, false,
       "Error\tVerifyOwner\tFile and Process Domain name and/or Account names don't match."},
      {"the target is owned by the user", L"app.exe", true, std::nullopt, true,
       "Info\tVerifyOwner\tFile owner: Domain name: 'TAMBER-PC', Account name: 'User'"},
      {"the target is missing", L"gone.exe", false, std::nullopt, true,
       "Error\tVerifyOwner\tTarget 'C:\\Program Files\\Tamber4\\gone.exe' not found."},
      {"the descriptor cannot be read", L"", false, SecurityCall::ReadOwnerDescriptor, true,
       "Error\tVerifyOwner\tError 0x00000005 getting security descriptor for 'C:\\Program Files\\Tamber4': Access is denied."},
      {"the owner cannot be taken from it", L"app.exe", false, SecurityCall::ReadOwnerSid, true,
       "Error\tVerifyOwner\tError 0x00000005 getting owner information for the security descriptor for 'C:\\Program Files\\Tamber4\\app.exe': Access is denied."},
      {"the process token cannot be opened", L"", false, SecurityCall::OpenProcessToken, true,
       "Error\tVerifyOwner\tError 0x00000005 getting process token: Access is denied."},
      {"the token's user cannot be read", L"", false, SecurityCall::TokenUser, true,
       "Error\tVerifyOwner\tError 0x00000005 getting user: Access is denied."},
  };
  for (const OwnerCase& c : cases) {
    SCOPED_TRACE(c.name);
    security().SetOwner(kFolder, kAdmins);
    security().SetOwner(kFolder + L"\\app.exe", c.targetOwnedByUser ? kUser : kAdmins);
    if (c.failing) security().FailCall(*c.failing, platform::err::AccessDenied);
    Mark();
    EXPECT_EQ(setup::FolderPermissions(kFolder, c.target).VerifyOwner(), c.expected);
    EXPECT_TRUE(LoggedNow(c.expectedLine));
    if (c.failing) security().FailCall(*c.failing, 0, 0);
  }
  EXPECT_EQ(security().OpenTokenCount(), 0u);
}

}  // namespace
