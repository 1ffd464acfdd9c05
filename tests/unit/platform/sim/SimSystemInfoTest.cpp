// Versions, error texts, environment, code page and clock of the simulated system.
#include <gtest/gtest.h>

#include "platform/CurrentProcess.h"
#include "platform/SystemInfo.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::sim::WindowsRelease;

class SimSystemInfoTest : public platform::sim::SimMachineTest {
 protected:
  platform::SystemInfo& system() { return platform::system(); }
  bool AtLeastXpSp3() { return system().VersionAtLeast(5, 1, 3, 0); }
};

TEST_F(SimSystemInfoTest, VersionChecksCompareMajorMinorThenServicePack) {
  sim().SetRelease(WindowsRelease::XpSp2);
  EXPECT_FALSE(AtLeastXpSp3());
  sim().SetRelease(WindowsRelease::XpSp3);
  EXPECT_TRUE(AtLeastXpSp3());
  EXPECT_FALSE(system().VersionAtLeast(6, 0, 0, 0));
  sim().SetRelease(WindowsRelease::Vista);
  EXPECT_TRUE(AtLeastXpSp3());  // a later minor passes whatever its service pack
  platform::OsVersion v;
  v.major = 6;
  v.minor = 1;
  v.servicePackMajor = 0;
  sim().system().SetVersion(v);
  EXPECT_TRUE(AtLeastXpSp3());
  EXPECT_FALSE(system().VersionAtLeast(6, 1, 1, 0));

  sim().SetRelease(WindowsRelease::XpSp3);
  platform::OsVersion got;
  ASSERT_TRUE(system().VersionEx(&got));
  EXPECT_EQ(got.servicePackMajor, 3);
  EXPECT_EQ(got.csdVersion, L"Service Pack 3");
  ASSERT_TRUE(system().Version(&got));
  EXPECT_EQ(got.servicePackMajor, 0);  // the basic block has no service pack numbers
  sim().system().SetVersionExFails(true);
  EXPECT_FALSE(system().VersionEx(&got));
}

TEST_F(SimSystemInfoTest, ErrorTextsComeWithTheirLineBreak) {
  std::wstring text;
  ASSERT_TRUE(system().SystemErrorText(2, 0, &text));
  EXPECT_EQ(text, L"The system cannot find the file specified.\r\n");
  ASSERT_TRUE(system().SystemErrorText(0x80070005u, 0x0400, &text));
  EXPECT_EQ(text, L"Access is denied.\r\n");
  ASSERT_TRUE(system().SystemErrorText(0x80004005u, 0, &text));
  EXPECT_EQ(text, L"Unspecified error\r\n");
  ASSERT_TRUE(system().SystemErrorText(1223, 0x0409, &text));
  EXPECT_EQ(text, L"The operation was canceled by the user.\r\n");
  EXPECT_FALSE(system().SystemErrorText(0x80200010u, 0, &text));
  EXPECT_EQ(platform::process().LastError(), 317u);
  EXPECT_FALSE(system().SystemErrorText(2, 0x0C0A, &text));
  EXPECT_EQ(platform::process().LastError(), 1815u);
}

TEST_F(SimSystemInfoTest, EnvironmentExpansion) {
  EXPECT_EQ(system().ExpandEnvironment(L"%userprofile%\\x"), L"C:\\Users\\User\\x");
  EXPECT_EQ(system().ExpandEnvironment(L"%TEMP%\\%Nope%\\100%"),
            L"C:\\Users\\User\\AppData\\Local\\Temp\\%Nope%\\100%");
  EXPECT_EQ(system().ExpandEnvironment(L"%Nope%TEMP%"), L"%NopeC:\\Users\\User\\AppData\\Local\\Temp");
  sim().SetTempPath(L"D:\\T");
  EXPECT_EQ(system().ExpandEnvironment(L"%TMP%"), L"D:\\T");
  EXPECT_EQ(platform::files().TempPath(), L"D:\\T\\");
}

TEST_F(SimSystemInfoTest, AnsiIsWindows1252AndUpperCaseKnowsAccents) {
  EXPECT_EQ(system().AnsiToWide("caf\xe9 \x80\x93\x81"), L"caf\u00e9 \u20ac\u201c\u0081");
  EXPECT_EQ(system().UpperCase(L"c:\\\u00e9t\u00e9\\\u00ff\u0107\u0436"),
            L"C:\\\u00c9T\u00c9\\\u0178\u0106\u0416");
}

TEST_F(SimSystemInfoTest, TheClockMovesOnlyWhenTheMachineSleeps) {
  const std::uint32_t tick = system().TickCount();
  const platform::SystemTime start = system().UtcNow();
  EXPECT_EQ(start.year, 2026);
  EXPECT_EQ(start.dayOfWeek, 0);  // 2026-03-01 is a Sunday
  EXPECT_EQ(system().TickCount(), tick);
  platform::process().Sleep(100);
  EXPECT_EQ(system().TickCount(), tick + 100);
  EXPECT_EQ(system().PerformanceCounter(), static_cast<std::int64_t>(tick + 100) * 10000);
  sim().clock().Advance(24ull * 3600 * 1000);
  EXPECT_EQ(system().UtcNow().day, 2);
  EXPECT_EQ(system().UtcNow().milliseconds, 100);
}

}  // namespace
