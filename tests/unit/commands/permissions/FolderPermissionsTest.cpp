// The DACL check and repair of FolderPermissions, and its volume check, against the
// simulated machine's accounts, DACLs and volumes.
#include <gtest/gtest.h>

#include "setup/commands/permissions/FolderPermissions.h"
#include "tests/unit/commands/permissions/PermissionsTestSupport.h"

namespace {

using namespace permissionstest;
using platform::sim::SecurityCall;

class FolderPermissionsTest : public PermissionsTest {
 protected:
  // A FolderPermissions for kFolder with Administrators and SYSTEM added.
  setup::FolderPermissions WithBothAccounts() {
    setup::FolderPermissions permissions(kFolder, L"");
    EXPECT_TRUE(permissions.AddUser(L"Administrators"));
    EXPECT_TRUE(permissions.AddUser(L"SYSTEM"));
    return permissions;
  }
};

struct AceCase {
  const char* shape;
  AceList dacl;
  bool adminsGood;
  bool systemGood;
  const char* expectedLine;
};

TEST_F(FolderPermissionsTest, EachAceShapeMakesItsAccountGoodOrBad) {
  const AceCase cases[] = {
      {"explicit full access that propagates (0x03)",
       {{kAllowed, 0x03, kFull, kAdmins}, {kAllowed, 0x03, kFull, kSystem}}, true, true,
       "Info\tVerifyUserPermissions\tACE has FILE_ALL_ACCESS permission, is not inherited but applies to and propagates to objects and containers, presumed good."},
      {"inherited full access (0x13) for SYSTEM only",
       {{kAllowed, 0x13, kFull, kSystem}}, false, true,
       "Info\tVerifyUserPermissions\tACE is inherited, has FILE_ALL_ACCESS permission, presumed good."},
      {"folder-only full access and GENERIC_ALL for children (the repair's pair)",
       {{kAllowed, 0x00, kFull, kAdmins}, {kAllowed, 0x0B, kGenericAll, kAdmins}, {kAllowed, 0x13, kFull, kSystem}},
       true, true, "Info\tVerifyUserPermissions\tPermission good for this folder and child folders."},
      {"folder-only full access alone",
       {{kAllowed, 0x00, kFull, kAdmins}, {kAllowed, 0x13, kFull, kSystem}}, false, true,
       "Info\tVerifyUserPermissions\tACE has FILE_ALL_ACCESS permission for this folder only."},
      {"GENERIC_ALL for children that stops propagating (0x0F)",
       {{kAllowed, 0x00, kFull, kAdmins}, {kAllowed, 0x0F, kGenericAll, kAdmins}, {kAllowed, 0x13, kFull, kSystem}},
       false, true, "Info\tVerifyUserPermissions\tPermissions for 'BUILTIN\\Administrators': bad"},
      {"full access with propagation stopped (0x07)",
       {{kAllowed, 0x07, kFull, kAdmins}, {kAllowed, 0x13, kFull, kSystem}}, false, true,
       "Info\tVerifyUserPermissions\tPermissions for 'BUILTIN\\Administrators': bad"},
      {"deny before an allowing entry",
       {{kDenied, 0x00, 0x00010000, kAdmins}, {kAllowed, 0x03, kFull, kAdmins}, {kAllowed, 0x13, kFull, kSystem}},
       false, true, "Error\tVerifyUserPermissions\tACE is Deny type, presumed bad."},
      {"deny after the folder-only pair",
       {{kAllowed, 0x00, kFull, kAdmins}, {kAllowed, 0x0B, kGenericAll, kAdmins}, {kDenied, 0x00, 0x00010000, kAdmins},
        {kAllowed, 0x13, kFull, kSystem}},
       true, true, "Error\tVerifyUserPermissions\tACE is Deny type, presumed bad."},
      {"read access only, and full access of other accounts",
       {{kAllowed, 0x03, 0x001200A9, kAdmins}, {kAllowed, 0x03, kFull, kUsers}, {kAllowed, 0x03, kFull, kUser}},
       false, false, "Info\tVerifyUserPermissions\tPermissions for 'NT AUTHORITY\\SYSTEM': bad"},
      {"an empty DACL", {}, false, false,
       "Info\tVerifyUserPermissions\tChecking 0 ACE list entries for user 'NT AUTHORITY\\SYSTEM', SID 'S-1-5-18'."},
  };
  for (const AceCase& c : cases) {
    SCOPED_TRACE(c.shape);
    security().SetDacl(kFolder, c.dacl);
    Mark();
    setup::FolderPermissions permissions = WithBothAccounts();
    EXPECT_EQ(permissions.VerifyUserPermissions(), c.adminsGood && c.systemGood);
    EXPECT_EQ(permissions.IsGood(0), c.adminsGood);
    EXPECT_EQ(permissions.IsGood(1), c.systemGood);
    EXPECT_TRUE(LoggedNow(c.expectedLine));
  }
}

TEST_F(FolderPermissionsTest, ADenyEntryEndsTheInspectionOfItsAccount) {
  security().SetDacl(kFolder, {{kDenied, 0x00, 0x00010000, kAdmins}, {kAllowed, 0x03, kFull, kAdmins},
                               {kAllowed, 0x03, kFull, kSystem}});
  setup::FolderPermissions permissions = WithBothAccounts();
  Mark();
  EXPECT_FALSE(permissions.VerifyUserPermissions());
  // One entry inspected for Administrators, the SYSTEM entry for SYSTEM.
  EXPECT_EQ(CountNow("Info\tVerifyUserPermissions\tACE found, Type:"), 2);
  EXPECT_TRUE(LoggedNow("Info\tVerifyUserPermissions\tACE found, Type: 0x00000001 Masks: 0x00010000 Flags: 0x00000000"));
  EXPECT_TRUE(LoggedNow("Info\tVerifyUserPermissions\tChecking 3 ACE list entries for user 'BUILTIN\\Administrators', SID 'S-1-5-32-544'."));
}

TEST_F(FolderPermissionsTest, AnUnknownOrLocalisedAccountIsSkipped) {
  security().SetAccount({kAdmins, L"BUILTIN", L"Administradores"});
  security().SetDacl(kFolder, {{kAllowed, 0x13, kFull, kSystem}});
  setup::FolderPermissions permissions(kFolder, L"");
  Mark();
  EXPECT_FALSE(permissions.AddUser(L"Administrators"));
  EXPECT_TRUE(permissions.AddUser(L"SYSTEM"));
  EXPECT_EQ(permissions.UserCount(), 1u);
  EXPECT_TRUE(permissions.VerifyUserPermissions());
  EXPECT_EQ(NewMessages(), (std::vector<std::string>{
      "Error\tAddUser\tFailed to load SID account for user 'Administrators'.",
      "Info\tRunCommandValidateFolderPermissions\tSuccessfully loaded SID for account 'NT AUTHORITY\\SYSTEM'.",
      "Info\tVerifyUserPermissions\tChecking 1 ACE list entries for user 'NT AUTHORITY\\SYSTEM', SID 'S-1-5-18'.",
      "Info\tVerifyUserPermissions\tACE found, Type: 0x00000000 Masks: 0x001F01FF Flags: 0x00000013",
      "Info\tVerifyUserPermissions\tACE is inherited, has FILE_ALL_ACCESS permission, presumed good.",
      "Info\tVerifyUserPermissions\tPermissions for 'NT AUTHORITY\\SYSTEM': good"}));
  // A name with its domain is kept as given.
  EXPECT_TRUE(permissions.AddUser(L"NT AUTHORITY\\SYSTEM"));
  EXPECT_TRUE(LoggedNow("Info\tRunCommandValidateFolderPermissions\tSuccessfully loaded SID for account 'NT AUTHORITY\\SYSTEM'."));
}

TEST_F(FolderPermissionsTest, RepairAddsThePairForTheMissingAccountAndProtectsTheDacl) {
  const Ace users = {kAllowed, 0x13, 0x001200A9, kUsers};
  const Ace admins = {kAllowed, 0x13, kFull, kAdmins};
  security().SetDacl(kFolder, {admins, users});
  setup::FolderPermissions permissions = WithBothAccounts();
  EXPECT_FALSE(permissions.VerifyUserPermissions());
  Mark();
  EXPECT_TRUE(permissions.ResetUserPermissions());
  EXPECT_EQ(security().DaclWriteCount(), 1);
  EXPECT_TRUE(security().ObjectSecurity(kFolder).daclProtected);
  EXPECT_EQ(FolderDacl(), (AceList{{kAllowed, 0x00, kFull, kSystem}, {kAllowed, 0x0B, kGenericAll, kSystem}, admins, users}));
  EXPECT_EQ(NewMessages(), (std::vector<std::string>{
      "Info\tResetUserPermissions\tChecking 2 user accounts, replacing ACEs as necessary.",
      "Info\tResetUserPermissions\tRemoving all ACEs for 'NT AUTHORITY\\SYSTEM' on 'C:\\Program Files\\Tamber4'.",
      "Info\tResetUserPermissions\tAdding Full Control ACE (0x001F01FF) for 'NT AUTHORITY\\SYSTEM' on 'C:\\Program Files\\Tamber4' (doesn't propagate, 0x00000000).",
      "Info\tResetUserPermissions\tAdding Full Control ACE (GENERIC_ALL, 0x10000000) for 'NT AUTHORITY\\SYSTEM' on 'C:\\Program Files\\Tamber4' (applies only to child folders, 0x08x).",
      "Info\tResetUserPermissions\tNew DACL successfully set on 'C:\\Program Files\\Tamber4'."}));
  // What the repair wrote passes the check.
  setup::FolderPermissions again = WithBothAccounts();
  EXPECT_TRUE(again.VerifyUserPermissions());
}

TEST_F(FolderPermissionsTest, BothAccountsBadWriteTwiceTheSecondWithBothEdits) {
  security().SetDacl(kFolder, {{kDenied, 0x00, kFull, kAdmins}, {kAllowed, 0x07, kFull, kSystem},
                               {kAllowed, 0x13, kFull, kUser}});
  setup::FolderPermissions permissions = WithBothAccounts();
  EXPECT_FALSE(permissions.VerifyUserPermissions());
  Mark();
  EXPECT_TRUE(permissions.ResetUserPermissions());
  EXPECT_EQ(security().DaclWriteCount(), 2);
  EXPECT_EQ(CountNow("Info\tResetUserPermissions\tNew DACL successfully set on"), 2);
  EXPECT_EQ(FolderDacl(), (AceList{{kAllowed, 0x00, kFull, kAdmins}, {kAllowed, 0x0B, kGenericAll, kAdmins},
                                   {kAllowed, 0x00, kFull, kSystem}, {kAllowed, 0x0B, kGenericAll, kSystem},
                                   {kAllowed, 0x13, kFull, kUser}}));
  EXPECT_TRUE(WithBothAccounts().VerifyUserPermissions());
}

TEST_F(FolderPermissionsTest, AFailedWriteStopsTheRepairAtThatAccount) {
  security().SetDacl(kFolder, {});
  setup::FolderPermissions permissions = WithBothAccounts();
  EXPECT_FALSE(permissions.VerifyUserPermissions());
  security().FailCall(SecurityCall::WriteDacl, platform::err::AccessDenied);
  Mark();
  EXPECT_FALSE(permissions.ResetUserPermissions());
  EXPECT_EQ(security().DaclWriteCount(), 0);
  EXPECT_EQ(CountNow("Info\tResetUserPermissions\tRemoving all ACEs"), 1);
  EXPECT_TRUE(LoggedNow("Error\tResetUserPermissions\tError 0x00000005 setting named security information for 'C:\\Program Files\\Tamber4': Access is denied."));
}

TEST_F(FolderPermissionsTest, AnUnreadableDaclCountsAsGoodAndAsRepaired) {
  security().SetDacl(kFolder, {});
  setup::FolderPermissions permissions = WithBothAccounts();
  security().FailCall(SecurityCall::ReadDacl, platform::err::AccessDenied, 2);
  Mark();
  EXPECT_TRUE(permissions.VerifyUserPermissions());
  EXPECT_TRUE(permissions.ResetUserPermissions());
  EXPECT_EQ(security().DaclWriteCount(), 0);
  EXPECT_EQ(NewMessages(), (std::vector<std::string>{
      "Error\tVerifyUserPermissions\tError 0x00000005 getting named security information for 'C:\\Program Files\\Tamber4': Access is denied.",
      "Error\tResetUserPermissions\tError 0x00000005 getting named security information for 'C:\\Program Files\\Tamber4': Access is denied."}));
}

TEST_F(FolderPermissionsTest, DebugListsEveryEntryByAccountName) {
  logging::ResetLogForTesting();
  sim().registry().PutDword(platform::kHkeyCurrentUser, logtest::kProgramKey, L"SeverityDebug", 1);
  ASSERT_TRUE(logging::OpenLog(0, true, true));
  ASSERT_TRUE(logging::IsLogEnabled(logging::Debug));
  const Sid unknown = SidOf(L"S-1-5-21-1-2-3-4242");
  Mark();
  setup::FolderPermissions::LogAceList({{kAllowed, 0x13, kFull, kSystem}, {kDenied, 0x00, 0x00010000, unknown}});
  EXPECT_EQ(NewMessages(), (std::vector<std::string>{
      "Debug\tLogAceList\tACE found for SID 'SYSTEM': Type: 0x00000000 Masks: 0x001F01FF Flags: 0x00000013",
      "Debug\tLogAceList\tACE found for SID 'S-1-5-21-1-2-3-4242': Type: 0x00000001 Masks: 0x00010000 Flags: 0x00000000"}));
}

struct VolumeCase {
  const char* machine;
  bool fat;
  bool volumePathFunction;
  bool flagsFail;
  bool supported;
  const char* expectedLine;  // empty: nothing logged
};

TEST_F(FolderPermissionsTest, OnlyVolumesThatKeepAclsAreChecked) {
  const VolumeCase cases[] = {
      {"NTFS", false, true, false, true, ""},
      {"FAT32", true, true, false, false, ""},
      {"NTFS without GetVolumePathNameW: the path's root", false, false, false, true, ""},
      {"FAT32 without GetVolumePathNameW", true, false, false, false, ""},
      {"flags unreadable", false, true, true, false,
       "Error\tACLSSupported\tError 0x00000015 getting volume information for 'C:\\Program Files\\Tamber4': The device is not ready."},
  };
  for (const VolumeCase& c : cases) {
    SCOPED_TRACE(c.machine);
    security().SetVolumeAcls(L'C', !c.fat);
    security().SetVolumePathFunctionPresent(c.volumePathFunction);
    if (c.flagsFail) security().FailCall(SecurityCall::VolumeFlags, 21);
    Mark();
    EXPECT_EQ(setup::FolderPermissions(kFolder, L"").ACLSSupported(), c.supported);
    if (*c.expectedLine)
      EXPECT_EQ(NewMessages(), std::vector<std::string>{c.expectedLine});
    else
      EXPECT_TRUE(NewMessages().empty());
  }
}

}  // namespace
