#include "text/Format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using text::Format;

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

TEST(Format, StringsWideAndNarrow) {
  std::wstring path = L"C:\\Temp\\a.msi";
  EXPECT_EQ(Format(L"Writing command file back to '%s'.", path),
            L"Writing command file back to 'C:\\Temp\\a.msi'.");
  EXPECT_EQ(Format(L"[%s]", "narrow"), L"[narrow]");
  EXPECT_EQ(Format(L"[%hs(%d)]", "Tamber4Setup", 42), L"[Tamber4Setup(42)]");
  EXPECT_EQ(Format(L"%ls|%ws|%S", L"a", L"b", "c"), L"a|b|c");
  EXPECT_EQ(Format("%s and %s", L"wide", "narrow"), L"wide and narrow");
  // Narrow text is Latin-1: one character per byte.
  EXPECT_EQ(Format(L"%hs", "caf\xE9"), L"caf\u00E9");
  // Wide arguments pass UTF-16 code units through untouched, surrogates included.
  EXPECT_EQ(Format(L"<%s>", L"\u00E9\xD83D\xDE00"), L"<\u00E9\xD83D\xDE00>");
  const wchar_t* none = nullptr;
  EXPECT_EQ(Format(L"[%s]", none), L"[]");
}

TEST(Format, StringWidthAndPrecision) {
  EXPECT_EQ(Format(L"[%5s]", L"ab"), L"[   ab]");
  EXPECT_EQ(Format(L"[%-5s]", L"ab"), L"[ab   ]");
  EXPECT_EQ(Format(L"[%.3s]", L"abcdef"), L"[abc]");
  EXPECT_EQ(Format(L"[%.3hs]", "abcdef"), L"[abc]");
  EXPECT_EQ(Format(L"[%6.2s]", L"abcdef"), L"[    ab]");
  EXPECT_EQ(Format(L"[%.0s]", L"abc"), L"[]");
  EXPECT_EQ(Format(L"[%.10s]", L"abc"), L"[abc]");
  EXPECT_EQ(Format(L"[%*s|%-*s]", 4, L"a", 3, L"b"), L"[   a|b  ]");
  EXPECT_EQ(Format(L"[%*s]", -4, L"a"), L"[a   ]");
  EXPECT_EQ(Format(L"[%.*s]", 2, L"abc"), L"[ab]");
}

TEST(Format, HResultsThroughHex) {
  std::int32_t hr = static_cast<std::int32_t>(0x80070005u);
  EXPECT_EQ(Format(L"Error 0x%08x", hr), L"Error 0x80070005");
  EXPECT_EQ(Format(L"0x%08X", -2147024891), L"0x80070005");
  EXPECT_EQ(Format(L"0x%X", hr), L"0x80070005");
  EXPECT_EQ(Format(L"GetLastError: 0x%X, '%s'", 5u, L"Access is denied."),
            L"GetLastError: 0x5, 'Access is denied.'");
  EXPECT_EQ(Format(L"%0lX", 0x1Fu), L"1F");
  EXPECT_EQ(Format(L"0x%04x", 0x409), L"0x0409");
  EXPECT_EQ(Format(L"0x%02x", 7), L"0x07");
  EXPECT_EQ(Format(L"0x%02x", 0x1234), L"0x1234");
  // A 64-bit argument without a 64-bit length gives its low 32 bits, as on Windows.
  EXPECT_EQ(Format(L"%X", std::int64_t{-1}), L"FFFFFFFF");
  EXPECT_EQ(Format(L"%I64X", std::int64_t{-1}), L"FFFFFFFFFFFFFFFF");
  EXPECT_EQ(Format(L"%#x|%#X|%#x", 255, 255, 0), L"0xff|0XFF|0");
  EXPECT_EQ(Format(L"%#010x", 255), L"0x000000ff");
  EXPECT_EQ(Format(L"%o|%#o", 8, 8), L"10|010");
}

TEST(Format, DecimalIntegersAndLengths) {
  EXPECT_EQ(Format(L"File size is %d.", 1234), L"File size is 1234.");
  EXPECT_EQ(Format(L"%d|%i", -17, -17), L"-17|-17");
  EXPECT_EQ(Format(L"%u", -1), L"4294967295");
  EXPECT_EQ(Format(L"%lu", 4000000000u), L"4000000000");
  EXPECT_EQ(Format(L"%d", 0x80070005u), L"-2147024891");
  EXPECT_EQ(Format(L"%I64u", std::uint64_t{18446744073709551615u}), L"18446744073709551615");
  EXPECT_EQ(Format(L"%I64u bytes", std::uint64_t{5368709120}), L"5368709120 bytes");
  EXPECT_EQ(Format(L"%I64d", std::int64_t{-5368709120}), L"-5368709120");
  EXPECT_EQ(Format(L"%lld|%llu", std::int64_t{-5368709120}, std::uint64_t{5368709120}),
            L"-5368709120|5368709120");
  EXPECT_EQ(Format(L"%I32d", std::int64_t{0x100000005}), L"5");
  EXPECT_EQ(Format(L"%hd|%hu|%hhd", 70000, -1, 255), L"4464|65535|-1");
  EXPECT_EQ(Format(L"%zu|%Iu", std::size_t{5000000000u}, std::size_t{7}), L"5000000000|7");
  EXPECT_EQ(Format(L"%d", std::numeric_limits<std::int32_t>::min()), L"-2147483648");
  EXPECT_EQ(Format(L"%I64d", std::numeric_limits<std::int64_t>::min()),
            L"-9223372036854775808");
  EXPECT_EQ(Format(L"%d %d", true, false), L"1 0");
  enum class Status { Fail = 2 };
  EXPECT_EQ(Format(L"return code %d.", Status::Fail), L"return code 2.");
}

// DecimalText stands in for std::to_wstring: the same text for every integer type and range.
TEST(Format, DecimalTextAsToWstring) {
  EXPECT_EQ(text::DecimalText(0), std::to_wstring(0));
  EXPECT_EQ(text::DecimalText(-17), std::to_wstring(-17));
  EXPECT_EQ(text::DecimalText(0x80070005u), std::to_wstring(0x80070005u));
  EXPECT_EQ(text::DecimalText(std::size_t{5000000000u}), std::to_wstring(std::size_t{5000000000u}));
  EXPECT_EQ(text::DecimalText(std::numeric_limits<std::int64_t>::min()),
            std::to_wstring(std::numeric_limits<std::int64_t>::min()));
  EXPECT_EQ(text::DecimalText(std::numeric_limits<std::uint64_t>::max()),
            std::to_wstring(std::numeric_limits<std::uint64_t>::max()));
  EXPECT_EQ(text::DecimalText(std::int16_t{-300}), L"-300");
}

// The integer conversions agree with the C library wherever Windows and C agree.
TEST(Format, IntegerFlagsAgreeWithCLibrary) {
  const char* formats[] = {"%d",  "%5d",   "%-5d|", "%05d",  "%+d",  "% d",  "%.3d", "%8.3d",
                           "%-8.3d|", "%+05d", "%.0d", "%x",   "%08X", "%-6x|", "%#x", "%#08x",
                           "%u",  "%10u",  "%o",    "%#o",   "%5.0d", "%+.0d", "%#.0o"};
  const int values[] = {0, 1, -1, 42, -42, 123456, -2147483647 - 1, 2147483647};
  for (const char* f : formats) {
    for (int v : values) {
      char expected[64];
      std::snprintf(expected, sizeof expected, f, v);
      EXPECT_EQ(Format(f, v), Widen(expected)) << f << " of " << v;
    }
  }
}

TEST(Format, Characters) {
  EXPECT_EQ(Format(L"[%c]", L'x'), L"[x]");
  EXPECT_EQ(Format(L"[%c]", 'y'), L"[y]");
  EXPECT_EQ(Format(L"[%3c|%-3c]", L'a', L'b'), L"[  a|b  ]");
  EXPECT_EQ(Format(L"[%c]", 0x20AC), L"[\u20AC]");
  EXPECT_EQ(Format(L"[%hc|%C]", 0x1E9, 0x141), L"[\u00E9|A]");
  EXPECT_EQ(Format(L"[%lc]", 0x141), L"[\u0141]");
}

TEST(Format, PercentAndMalformedConversions) {
  EXPECT_EQ(Format(L"100%%"), L"100%");
  EXPECT_EQ(Format(L"%%d%d", 5), L"%d5");
  EXPECT_EQ(Format(L"50%"), L"50%");
  EXPECT_EQ(Format(L"50%", 7), L"50%");
  EXPECT_EQ(Format(L"%-"), L"%-");
  // Unknown conversions stay as written and take no argument.
  EXPECT_EQ(Format(L"%InstallDirectory% %d", 3), L"%InstallDirectory% 3");
  EXPECT_EQ(Format(L"%BYTES-TOTAL%%d", 3), L"%BYTES-TOTAL%d");
  EXPECT_EQ(Format(L"%n%d", 3), L"%n3");
}

TEST(Format, MissingAndExtraArguments) {
  EXPECT_EQ(Format(L"a%sb%dc"), L"abc");
  EXPECT_EQ(Format(L"%d and %d", 1), L"1 and ");
  EXPECT_EQ(Format(L"[%5d]"), L"[]");
  EXPECT_EQ(Format(L"%d", 1, 2, L"three"), L"1");
  EXPECT_EQ(Format(L"no conversions", 1), L"no conversions");
  EXPECT_EQ(Format(L"[%*d]", 4), L"[]");
}

TEST(Format, MismatchedArgumentsRenderThemselves) {
  EXPECT_EQ(Format(L"%d", L"text"), L"text");
  EXPECT_EQ(Format(L"%08X", "narrow"), L"  narrow");
  EXPECT_EQ(Format(L"%s", 42), L"42");
  EXPECT_EQ(Format(L"%s", -42), L"-42");
  EXPECT_EQ(Format(L"%s", std::uint64_t{5368709120}), L"5368709120");
  EXPECT_EQ(Format(L"%hs", 2.5), L"2.5");
  EXPECT_EQ(Format(L"%d", 2.5), L"2.5");
  EXPECT_EQ(Format(L"[%6s]", 42), L"[    42]");
  EXPECT_EQ(Format(L"%f", L"x"), L"x");
}

TEST(Format, FloatingAgreesWithCLibrary) {
  const char* formats[] = {"%f", "%.2f", "%10.3f", "%-10.1f|", "%+f", "%e", "%.3E", "%g",
                           "%.3g", "%G", "%#g", "%#.0f", "%010.2f", "%.0e", "%#.0e"};
  const double values[] = {0.0, 1.0, -2.5, 3.14159265358979, 1234567.891, 1e-5, 6.02e23, -1e-300};
  for (const char* f : formats) {
    for (double v : values) {
      char expected[512];
      std::snprintf(expected, sizeof expected, f, v);
      EXPECT_EQ(Format(f, v), Widen(expected)) << f << " of " << v;
    }
  }
  EXPECT_EQ(Format(L"%.1f", 3), L"3.0");
}

TEST(Format, FloatingRoundsExactlyLikeTheCLibrary) {
  // Ties on the exact binary value go to even; values far below or above the kept places,
  // subnormals and the largest doubles keep every digit the C library prints.
  const char* formats[] = {"%.0f", "%.1f", "%.2f", "%.3f", "%.17f", "%.0e", "%.5e", "%.16e",
                           "%g", "%.1g", "%.10g"};
  std::vector<double> values = {0.5, 1.5, 2.5, 0.125, 0.375, 0.05, 0.0049, 9.995, 99.5,
                                1e-320, 4.9406564584124654e-324, 1.7976931348623157e308,
                                -0.0, 123456789012345678.0};
  std::mt19937_64 random(20261208);
  for (int i = 0; i < 300; ++i) {
    std::uint64_t bits = random();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    if (std::isfinite(v)) values.push_back(v);
    values.push_back(std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 140) - 70));
  }
  for (const char* f : formats) {
    for (double v : values) {
      char expected[2048];
      std::snprintf(expected, sizeof expected, f, v);
      ASSERT_EQ(Format(f, v), Widen(expected)) << f << " of " << v;
    }
  }
}

TEST(Format, PointersHaveFixedWidthUpperCaseHex) {
  int object = 0;
  const void* p = &object;
  std::wstring rendered = Format(L"%p", p);
  EXPECT_EQ(rendered.size(), sizeof(void*) * 2);
  EXPECT_EQ(std::stoull(rendered, nullptr, 16), reinterpret_cast<std::uintptr_t>(p));
  EXPECT_EQ(Format(L"%p", static_cast<const void*>(nullptr)),
            std::wstring(sizeof(void*) * 2, L'0'));
}

TEST(Format, NarrowFormatMatchesWideFormat) {
  EXPECT_EQ(Format("Issuing exception 0x%08X: %s [%hs(%d)]", -2147024891, L"Access is denied.",
                   "ScriptFile", 7),
            Format(L"Issuing exception 0x%08X: %s [%hs(%d)]", -2147024891, L"Access is denied.",
                   "ScriptFile", 7));
}

TEST(Format, LongOutput) {
  std::wstring big(100000, L'q');
  std::wstring out = Format(L"<%s>%d<%s>", big, 7, big);
  ASSERT_EQ(out.size(), 2 * big.size() + 5);
  EXPECT_EQ(out.substr(big.size(), 5), L"q>7<q");
  EXPECT_EQ(Format(L"%5000d", 1).size(), 5000u);
  // A width beyond any sensible text is capped rather than honoured.
  EXPECT_LE(Format(L"%2147483647d", 1).size(), std::size_t{1} << 20);
}

}  // namespace
