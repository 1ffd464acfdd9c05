#include "setup/session/VersionCompare.h"

#include <gtest/gtest.h>

#include <climits>

using setup::CompareVersionStrings;

TEST(CompareVersionStrings, DocumentedExamples) {
  EXPECT_EQ(CompareVersionStrings(L"4.2.0.15", L"4.2.0.9"), 6);
  EXPECT_EQ(CompareVersionStrings(L"4.10", L"4.9"), 1);
  EXPECT_EQ(CompareVersionStrings(L"4.2", L"4.2.0.9"), 0);
  EXPECT_EQ(CompareVersionStrings(L"4.2b", L"4.2"), 0);
  EXPECT_EQ(CompareVersionStrings(L"1..2", L"1.2"), 0);
}

TEST(CompareVersionStrings, OrderAndSign) {
  EXPECT_LT(CompareVersionStrings(L"4.2.0.9", L"4.2.0.15"), 0);
  EXPECT_EQ(CompareVersionStrings(L".4.2.", L"4.2"), 0);
  EXPECT_EQ(CompareVersionStrings(L"", L"1.2"), 0);       // no common parts
  EXPECT_EQ(CompareVersionStrings(L"x.1", L"0.1"), 0);    // no digits reads as 0
  EXPECT_EQ(CompareVersionStrings(L" +3", L"3"), 0);      // strtol's blanks and sign
  EXPECT_EQ(CompareVersionStrings(L"-1", L"1"), -2);
}

TEST(CompareVersionStrings, HugePartsKeepTheirSign) {
  // strtol clamps at the 32-bit limits; the difference must not wrap round to the other sign.
  EXPECT_GT(CompareVersionStrings(L"99999999999", L"-5"), 0);
  EXPECT_EQ(CompareVersionStrings(L"2147483647", L"-2147483648"), INT_MAX);
  EXPECT_EQ(CompareVersionStrings(L"-2147483648", L"2147483647"), INT_MIN);
  EXPECT_EQ(CompareVersionStrings(L"99999999999", L"2147483647"), 0);
}
