#include "text/Utf.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using namespace text;

TEST(Utf, WideToUtf8EncodesEveryLength) {
  EXPECT_EQ(WideToUtf8(L"Az"), "Az");
  EXPECT_EQ(WideToUtf8(L"\u00E9"), "\xC3\xA9");
  EXPECT_EQ(WideToUtf8(L"\u20AC"), "\xE2\x82\xAC");
  EXPECT_EQ(WideToUtf8(L"\xFFFF"), "\xEF\xBF\xBF");
  EXPECT_EQ(WideToUtf8(std::wstring(1, L'\0')), std::string(1, '\0'));
  EXPECT_EQ(WideToUtf8(L""), "");
}

TEST(Utf, WideToUtf8JoinsPairsAndKeepsLoneSurrogates) {
  EXPECT_EQ(WideToUtf8(L"\xD83D\xDE00"), "\xF0\x9F\x98\x80");  // U+1F600
  EXPECT_EQ(WideToUtf8(L"\xDBFF\xDFFF"), "\xF4\x8F\xBF\xBF");  // U+10FFFF
  EXPECT_EQ(WideToUtf8(L"a\xD800z"), "a\xED\xA0\x80z");
  EXPECT_EQ(WideToUtf8(L"\xDC00\xD800"), "\xED\xB0\x80\xED\xA0\x80");  // reversed pair
  EXPECT_EQ(WideToUtf8(L"x\xD83D"), "x\xED\xA0\xBD");                  // high at the end
}

TEST(Utf, Utf8ToWideDecodesToCodeUnits) {
  EXPECT_EQ(Utf8ToWide("Az"), L"Az");
  EXPECT_EQ(Utf8ToWide("\xC3\xA9\xE2\x82\xAC"), L"\u00E9\u20AC");
  EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80"), L"\xD83D\xDE00");
  EXPECT_EQ(Utf8ToWide("\xF4\x8F\xBF\xBF"), L"\xDBFF\xDFFF");
  EXPECT_EQ(Utf8ToWide(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(Utf, Utf8ToWideReplacesInvalidBytes) {
  EXPECT_EQ(Utf8ToWide("a\x80z"), L"a\xFFFDz");               // stray continuation
  EXPECT_EQ(Utf8ToWide("\xC3"), L"\xFFFD");                   // truncated at the end
  EXPECT_EQ(Utf8ToWide("\xE2\x82z"), L"\xFFFDz");             // truncated in the middle
  EXPECT_EQ(Utf8ToWide("\xC0\xAF"), L"\xFFFD\xFFFD");         // overlong '/'
  EXPECT_EQ(Utf8ToWide("\xE0\x80\xAF"), L"\xFFFD\xFFFD\xFFFD");  // overlong, 3 bytes
  EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), L"\xFFFD\xFFFD\xFFFD");  // encoded surrogate
  EXPECT_EQ(Utf8ToWide("\xF4\x90\x80\x80"), L"\xFFFD\xFFFD\xFFFD\xFFFD");  // above U+10FFFF
  EXPECT_EQ(Utf8ToWide("\xFF\xFE"), L"\xFFFD\xFFFD");
  EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98"), L"\xFFFD");           // one subpart, one U+FFFD
}

TEST(Utf, Utf8RoundTripOfWellFormedText) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<std::uint32_t> codePoint(0, 0x10FFFF);
  for (int round = 0; round < 200; ++round) {
    std::wstring wide;
    for (int i = 0; i < 20; ++i) {
      std::uint32_t c = codePoint(random);
      if (c >= 0xD800 && c <= 0xDFFF) c = 0x41;
      if (c < 0x10000) {
        wide.push_back(static_cast<wchar_t>(c));
      } else {
        wide.push_back(static_cast<wchar_t>(0xD800 | ((c - 0x10000) >> 10)));
        wide.push_back(static_cast<wchar_t>(0xDC00 | ((c - 0x10000) & 0x3FF)));
      }
    }
    ASSERT_EQ(Utf8ToWide(WideToUtf8(wide)), wide);
  }
}

TEST(Utf, Utf16LittleEndianBytes) {
  EXPECT_EQ(Utf16LeToWide(std::string("A\0\xE9\0\xAC\x20", 6)), L"A\u00E9\u20AC");
  EXPECT_EQ(Utf16LeToWide(std::string("\xFF\xFE" "A\0", 4)), L"\xFEFF" L"A");
  EXPECT_EQ(Utf16LeToWide(std::string("A\0B", 3)), L"A");  // odd byte ignored
  EXPECT_EQ(Utf16LeToWide(std::string("B", 1)), L"");
  EXPECT_EQ(WideToUtf16Le(L"A\u20AC\xD83D\xDE00"),
            std::string("A\0\xAC\x20\x3D\xD8\x00\xDE", 8));
  std::wstring every;
  for (std::uint32_t u = 0; u < 0x10000; ++u) every.push_back(static_cast<wchar_t>(u));
  EXPECT_EQ(Utf16LeToWide(WideToUtf16Le(every)), every);
  std::string appended("\xFF\xFE", 2);
  AppendUtf16Le(appended, L"A\r\n");
  AppendUtf16Le(appended, L"");
  AppendUtf16Le(appended, L"\u20AC");
  EXPECT_EQ(appended, std::string("\xFF\xFE" "A\0\r\0\n\0\xAC\x20", 10));
}

TEST(Utf, CompareIgnoresAsciiCaseOnly) {
  EXPECT_TRUE(EqualsIgnoreAsciiCase(L"Result", L"rESULT"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase(L"result", L"results"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase(L"\u00C9", L"\u00E9"));  // no folding beyond ASCII
  EXPECT_FALSE(EqualsIgnoreAsciiCase(L"[", L"{"));           // '[' is not an upper-case '{'
  EXPECT_EQ(CompareIgnoreAsciiCase(L"", L""), 0);
  EXPECT_LT(CompareIgnoreAsciiCase(L"abc", L"ABD"), 0);
  EXPECT_GT(CompareIgnoreAsciiCase(L"B", L"a"), 0);
  EXPECT_LT(CompareIgnoreAsciiCase(L"ab", L"ABC"), 0);
  EXPECT_GT(CompareIgnoreAsciiCase(L"a\u00E9", L"AZ"), 0);
  // Letters compare in lower case, so '_' (0x5F) sorts before 'B' (0x42 as written).
  EXPECT_LT(CompareIgnoreAsciiCase(L"a_", L"AB"), 0);
}

}  // namespace
