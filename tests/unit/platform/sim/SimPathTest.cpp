// Windows path rules and text conversions that the simulated machine is built on.
#include <gtest/gtest.h>

#include "platform/sim/SimPath.h"
#include "platform/sim/SimText.h"

namespace {

using namespace platform::sim;

std::wstring Full(const std::wstring& path, const std::wstring& cwd = L"C:\\Users\\User\\Downloads") {
  std::wstring full;
  EXPECT_TRUE(FullPathName(path, cwd, &full)) << WideToUtf8(path);
  return full;
}

TEST(SimPath, FullPathNameAnchorsEachKindOfPath) {
  EXPECT_EQ(Full(L"a\\b"), L"C:\\Users\\User\\Downloads\\a\\b");
  EXPECT_EQ(Full(L"..\\..\\..\\..\\x"), L"C:\\x");
  EXPECT_EQ(Full(L"\\x"), L"C:\\x");
  EXPECT_EQ(Full(L"c:x"), L"C:\\Users\\User\\Downloads\\x");  // the current folder of drive C
  EXPECT_EQ(Full(L"e:x"), L"e:\\x");                           // another drive: its root
  EXPECT_EQ(Full(L"C:"), L"C:\\Users\\User\\Downloads");
  EXPECT_EQ(Full(L"C:\\"), L"C:\\");
  EXPECT_EQ(Full(L"C:\\a\\\\b\\"), L"C:\\a\\b\\");
  EXPECT_EQ(Full(L"C:\\a\\b\\..\\"), L"C:\\a\\");
  EXPECT_EQ(Full(L"C:\\a\\file. . "), L"C:\\a\\file");
  EXPECT_EQ(Full(L"\\\\?\\C:\\a\\..\\b"), L"\\\\?\\C:\\a\\..\\b");
  EXPECT_EQ(Full(L"//srv/share/../x"), L"\\\\srv\\share\\x");
}

TEST(SimPath, SplittingAndParts) {
  DrivePath parts;
  ASSERT_TRUE(SplitDrivePath(L"c:\\Users\\x\\", &parts));
  EXPECT_EQ(parts.drive, L'C');
  EXPECT_EQ(parts.names, (std::vector<std::wstring>{L"Users", L"x"}));
  EXPECT_TRUE(parts.trailingSeparator);
  ASSERT_TRUE(SplitDrivePath(L"\\\\?\\D:\\y", &parts));
  EXPECT_EQ(parts.drive, L'D');
  EXPECT_FALSE(SplitDrivePath(L"\\\\srv\\share\\x", &parts));
  EXPECT_EQ(JoinDrivePath(L'C', {}), L"C:\\");
  EXPECT_EQ(ParentPath(L"C:\\a"), L"C:\\");
  EXPECT_EQ(ParentPath(L"C:\\a\\b.txt"), L"C:\\a");
  EXPECT_EQ(FileNamePart(L"https://host/dir/script.crvdat"), L"script.crvdat");
}

TEST(SimPath, WildcardsMatchLikeFindFirstFile) {
  EXPECT_TRUE(MatchesWildcard(L"*.crvdat", L"Tamber4DiscScript.CRVDAT"));
  EXPECT_FALSE(MatchesWildcard(L"*.crvdat", L"script.crvdat.bak"));
  EXPECT_TRUE(MatchesWildcard(L"*.*", L"noextension"));
  EXPECT_TRUE(MatchesWildcard(L"a?c", L"ABC"));
  EXPECT_FALSE(MatchesWildcard(L"a?c", L"ac"));
  EXPECT_TRUE(MatchesWildcard(L"*a*b*", L"xxaYYbzz"));
  EXPECT_TRUE(MatchesWildcard(L"setup.*", L"setup"));
  EXPECT_FALSE(MatchesWildcard(L"setup.*", L"setupx"));
  EXPECT_TRUE(HasInvalidNameCharacter(L"a|b"));
  EXPECT_FALSE(HasInvalidNameCharacter(L"Program Files (x86)"));
}

TEST(SimText, Utf8RoundTripKeepsEveryUnit) {
  const std::wstring text = std::wstring(L"caf\u00e9 \u20ac ") + wchar_t(0xD83D) + wchar_t(0xDE00) +
                            L" lone " + wchar_t(0xDC00);
  const std::string utf8 = WideToUtf8(text);
  EXPECT_EQ(utf8.substr(0, 14), "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80");
  EXPECT_EQ(Utf8ToWide(utf8), text);
  // Bytes that are not UTF-8 are read as Windows-1252.
  EXPECT_EQ(Utf8ToWide("\xe9t\xe9 \x80"), L"\u00e9t\u00e9 \u20ac");
}

TEST(SimText, CaseFoldingForNames) {
  EXPECT_TRUE(EqualsNoCase(L"Tamber Log Files", L"TAMBER LOG FILES"));
  EXPECT_TRUE(EqualsNoCase(L"\u00e9l\u0148", L"\u00c9L\u0147"));
  EXPECT_FALSE(EqualsNoCase(L"a", L"ab"));
  EXPECT_EQ(UpperCase(L"\u0131\u0138\u00df"), L"\u0131\u0138\u00df");  // no simple upper case
}

}  // namespace
