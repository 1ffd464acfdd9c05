// The simulated registry's return codes and access rules.
#include <gtest/gtest.h>

#include <vector>

#include "platform/Registry.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::RegKey;
using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;
namespace err = platform::err;
namespace reg = platform::reg;

class SimRegistryTest : public platform::sim::SimMachineTest {
 protected:
  platform::Registry& registry() { return platform::registry(); }

  RegKey Open(RegKey root, const std::wstring& path, std::uint32_t access,
              platform::Win32Error expected = err::Success) {
    RegKey key = 0;
    EXPECT_EQ(registry().OpenKey(root, path, access, &key), expected) << std::string(path.begin(), path.end());
    return key;
  }
};

TEST_F(SimRegistryTest, MissingKeysAndValuesAreFileNotFound) {
  Open(kHkeyCurrentUser, L"Software\\Tamber4", reg::Read, err::FileNotFound);
  sim().registry().PutDword(kHkeyCurrentUser, L"Software\\Tamber4\\Logging", L"Enabled", 1);

  const RegKey key = Open(kHkeyCurrentUser, L"SOFTWARE\\tamber4\\LOGGING\\", reg::Read);
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  EXPECT_EQ(registry().QueryValue(key, L"enabled", &type, &data, 4), err::Success);
  EXPECT_EQ(type, reg::Dword);
  EXPECT_EQ(data, (std::vector<std::uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(registry().QueryValue(key, L"SeverityDebug", &type, &data, 4), err::FileNotFound);
  EXPECT_EQ(registry().CloseKey(key), err::Success);
  EXPECT_EQ(registry().CloseKey(key), err::InvalidHandle);
  EXPECT_EQ(registry().CloseKey(kHkeyCurrentUser), err::Success);  // roots stay usable
  Open(kHkeyCurrentUser, L"\\Software", reg::Read, 161);            // ERROR_BAD_PATHNAME
  EXPECT_EQ(sim().registry().OpenKeyCount(), 0u);
}

TEST_F(SimRegistryTest, QueryPastTheBufferIsMoreData) {
  sim().registry().PutString(kHkeyCurrentUser, L"Software\\Tamber4", L"UserInterfaceLanguage", L"es");
  const RegKey key = Open(kHkeyCurrentUser, L"Software\\Tamber4", reg::QueryValue);
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data{9};
  EXPECT_EQ(registry().QueryValue(key, L"UserInterfaceLanguage", &type, &data, 5), err::MoreData);
  EXPECT_EQ(type, reg::Sz);
  EXPECT_TRUE(data.empty());
  EXPECT_EQ(registry().QueryValue(key, L"UserInterfaceLanguage", &type, &data, 6), err::Success);
  EXPECT_EQ(data, (std::vector<std::uint8_t>{'e', 0, 's', 0, 0, 0}));
  registry().CloseKey(key);
}

TEST_F(SimRegistryTest, HandlesCarryTheRightsTheyWereOpenedWith) {
  sim().registry().MakeKey(kHkeyCurrentUser, L"Software\\Tamber4");
  const RegKey readOnlyHandle = Open(kHkeyCurrentUser, L"Software\\Tamber4", reg::Read);
  EXPECT_EQ(registry().SetValue(readOnlyHandle, L"x", reg::Dword, {1, 0, 0, 0}), err::AccessDenied);
  RegKey child = 0;
  EXPECT_EQ(registry().CreateKey(readOnlyHandle, L"Logging", reg::AllAccess, &child, nullptr),
            err::AccessDenied);
  EXPECT_FALSE(sim().registry().KeyExists(kHkeyCurrentUser, L"Software\\Tamber4\\Logging"));

  const RegKey writeOnly = Open(kHkeyCurrentUser, L"Software\\Tamber4", reg::SetValue);
  EXPECT_EQ(registry().SetValue(writeOnly, L"x", reg::Dword, {1, 0, 0, 0}), err::Success);
  std::vector<std::uint8_t> data;
  EXPECT_EQ(registry().QueryValue(writeOnly, L"x", nullptr, &data, 4), err::AccessDenied);
  EXPECT_EQ(registry().DeleteValue(writeOnly, L"X"), err::Success);
  EXPECT_EQ(registry().DeleteValue(writeOnly, L"X"), err::FileNotFound);
  registry().CloseKey(readOnlyHandle);
  registry().CloseKey(writeOnly);
}

TEST_F(SimRegistryTest, CreateKeyMakesTheWholePathAndSaysSo) {
  RegKey key = 0;
  bool created = false;
  ASSERT_EQ(registry().CreateKey(kHkeyCurrentUser, L"Software\\Tamber4\\Logging\\TAMBER4SETUP.EXE",
                                 reg::AllAccess, &key, &created),
            err::Success);
  EXPECT_TRUE(created);
  EXPECT_EQ(registry().SetValue(key, L"Enabled", reg::Dword, {1, 0, 0, 0}), err::Success);
  registry().CloseKey(key);
  ASSERT_EQ(registry().CreateKey(kHkeyCurrentUser, L"software\\tamber4\\logging\\tamber4setup.exe",
                                 reg::Read, &key, &created),
            err::Success);
  EXPECT_FALSE(created);
  registry().CloseKey(key);
  EXPECT_EQ(sim().registry().GetDword(kHkeyCurrentUser,
                                      L"Software\\Tamber4\\Logging\\Tamber4Setup.exe", L"ENABLED"),
            1u);
}

TEST_F(SimRegistryTest, ReadOnlyKeysRefuseWritesBelowThem) {
  sim().registry().PutDword(kHkeyCurrentUser, L"Software\\Locked\\Sub", L"v", 5);
  sim().registry().SetReadOnly(kHkeyCurrentUser, L"Software\\Locked", true);
  Open(kHkeyCurrentUser, L"Software\\Locked\\Sub", reg::AllAccess, err::AccessDenied);
  const RegKey key = Open(kHkeyCurrentUser, L"Software\\Locked\\Sub", reg::Read);
  RegKey child = 0;
  EXPECT_EQ(registry().CreateKey(kHkeyCurrentUser, L"Software\\Locked\\New", reg::AllAccess, &child,
                                 nullptr),
            err::AccessDenied);
  std::vector<std::uint8_t> data;
  EXPECT_EQ(registry().QueryValue(key, L"v", nullptr, &data, 4), err::Success);
  registry().CloseKey(key);

  // A user who is not an administrator cannot write the machine's keys.
  sim().SetAdministrator(false);
  Open(kHkeyLocalMachine, L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", reg::Write,
       err::AccessDenied);
  Open(kHkeyCurrentUser, L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", reg::Write);
}

}  // namespace
