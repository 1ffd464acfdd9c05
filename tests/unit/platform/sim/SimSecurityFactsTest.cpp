// The security lines of tamber4sim's machine folder: what a run leaves (owners, DACLs,
// accounts, volumes, takeown.exe codes, injected failures) comes back, and bad lines are
// refused.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/sim/SimMachine.h"
#include "platform/sim/SimSecurityFacts.h"
#include "platform/sim/SimTempFolder.h"

namespace {

using platform::AceList;
using platform::Sid;
using platform::sim::SecurityCall;
using platform::sim::SimMachine;

Sid SidOf(const std::wstring& text) {
  Sid sid;
  platform::sim::ParseSidText(text, &sid);
  return sid;
}

class SimSecurityFactsTest : public ::testing::Test {
 protected:
  std::unique_ptr<SimMachine> Load() {
    std::string error;
    auto m = SimMachine::Load(folder_.path(), &error);
    EXPECT_TRUE(m) << error;
    return m;
  }
  platform::sim::SimTempFolder folder_;
};

TEST_F(SimSecurityFactsTest, OwnersDaclsAccountsAndVolumesComeBack) {
  const std::wstring folder = L"C:\\Program Files\\Tamber4";
  const AceList dacl = {{1, 0x00, 0x00010000, SidOf(L"S-1-1-0")}, {0, 0x03, 0x001F01FF, SidOf(L"S-1-5-18")},
                        {5, 0x13, 0x10000000, SidOf(L"S-1-5-32-545")}};
  {
    auto m = Load();
    m->files().MakeFolders(folder);
    m->security().SetAccount({SidOf(L"S-1-5-32-544"), L"BUILTIN", L"Administradores"});
    m->security().SetOwner(folder, SidOf(L"S-1-5-32-544"));
    m->security().SetDacl(folder, dacl, true);
    m->security().SetVolumeAcls(L'd', false);
    m->security().SetVolumePathFunctionPresent(false);
    m->security().QueueTakeOwnExitCode(5);
    m->security().FailCall(SecurityCall::WriteDacl, 5, 2);
    std::string error;
    ASSERT_TRUE(m->Save(folder_.path(), &error)) << error;
  }
  auto m = Load();
  const platform::sim::SimObjectSecurity object = m->security().ObjectSecurity(folder);
  EXPECT_EQ(object.owner, SidOf(L"S-1-5-32-544"));
  EXPECT_EQ(object.dacl, dacl);
  EXPECT_TRUE(object.daclProtected);
  std::wstring account, domain;
  ASSERT_TRUE(m->security().LookupAccountSid(SidOf(L"S-1-5-32-544"), &account, &domain));
  EXPECT_EQ(account, L"Administradores");
  EXPECT_EQ(m->security().DrivesWithoutAcls(), std::set<wchar_t>{L'D'});
  EXPECT_FALSE(m->security().HasVolumePathFunction());
  EXPECT_EQ(m->security().TakeOwnExitCodes(), std::deque<std::uint32_t>{5});
  platform::Win32Error error = 0;
  EXPECT_EQ(m->security().FailuresDue(SecurityCall::WriteDacl, &error), 2);
  EXPECT_EQ(error, 5u);
  // A folder never touched keeps the default security and is not written.
  std::ifstream in(folder_.path() / "machine.txt");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("dacl = C:\\Program Files\\Tamber4|protected|deny 0x00 0x00010000 S-1-1-0|"
                      "allow 0x03 0x001F01FF S-1-5-18|5 0x13 0x10000000 S-1-5-32-545\n"),
            std::string::npos);
  EXPECT_EQ(text.find("dacl = C:\\Users"), std::string::npos);
}

TEST_F(SimSecurityFactsTest, BadSecurityLinesAreRefused) {
  auto m = Load();
  const std::pair<const char*, const char*> bad[] = {
      {"account", "S-1-5-32-544|BUILTIN"},
      {"account", "X-1-5|BUILTIN|Admins"},
      {"token-user", "S-1-5-x"},
      {"owner", "|S-1-5-18"},
      {"dacl", "C:\\x|sometimes"},
      {"dacl", "C:\\x|protected|allow 0x13 0x1F01FF"},
      {"dacl", "C:\\x|protected|grant 0x13 0x1F01FF S-1-5-18"},
      {"dacl", "C:\\x|protected|allow 0x113 0x1F01FF S-1-5-18"},
      {"volume-without-acls", "DD"},
      {"volume-path-function", "maybe"},
      {"takeown-exit-code", "-1"},
      {"security-call-fails", "write-everything|5|1"},
  };
  for (const auto& [key, value] : bad)
    EXPECT_FALSE(platform::sim::ApplySecurityFact(m->security(), key, value)) << key << " = " << value;
  EXPECT_TRUE(m->security().SecurityRecords().empty());
  EXPECT_TRUE(m->security().TakeOwnExitCodes().empty());
}

}  // namespace
