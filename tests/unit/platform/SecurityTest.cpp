// The DACL edits and path rules of platform/Security.cpp that both machines share.
#include <gtest/gtest.h>

#include "platform/Security.h"

namespace {

using platform::Ace;
using platform::AceList;

const platform::Sid kA = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
const platform::Sid kB = {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};

TEST(Security, CanonicalOrderPutsExplicitDenialsFirstAndInheritedEntriesLast) {
  const Ace allowA = {0, 0x00, 1, kA}, allowB = {0, 0x03, 2, kB};
  const Ace denyA = {1, 0x00, 3, kA}, inheritedDeny = {1, 0x10, 4, kB};
  const Ace inheritedAllow = {0, 0x13, 5, kA}, object = {5, 0x00, 6, {}};
  const struct {
    const char* name;
    AceList given;
    AceList expected;
  } cases[] = {
      {"already canonical", {denyA, allowA, inheritedAllow}, {denyA, allowA, inheritedAllow}},
      {"a denial appended after allowing entries", {allowA, allowB, denyA}, {denyA, allowA, allowB}},
      {"inherited entries first", {inheritedAllow, inheritedDeny, allowA}, {allowA, inheritedAllow, inheritedDeny}},
      {"other explicit types stay with the allowing ones", {object, denyA, allowA}, {denyA, object, allowA}},
      {"empty", {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(platform::CanonicalOrder(c.given), c.expected);
  }
}

TEST(Security, RemoveAcesTakesEveryEntryOfTheSidOnly) {
  AceList aces = {{0, 0, 1, kA}, {0, 0, 2, kB}, {1, 0, 3, kA}};
  platform::RemoveAces(&aces, kA);
  EXPECT_EQ(aces, (AceList{{0, 0, 2, kB}}));
}

TEST(Security, StripToRootKeepsTheDriveOrTheShare) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"C:\\Program Files\\Tamber4", L"C:\\"},
      {L"d:", L"d:\\"},
      {L"\\\\server\\share\\folder\\x", L"\\\\server\\share"},
      {L"\\\\server", L"\\\\server"},
      {L"\\folder", L"\\"},
      {L"folder\\x", L""},
  };
  for (const auto& [path, root] : cases) EXPECT_EQ(platform::StripToRoot(path), root) << std::string(path.begin(), path.end());
}

}  // namespace
