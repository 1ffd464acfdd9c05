// The index of each command's lines: by command as parsed, growing with the script.
#include "setup/engine/CommandLines.h"

#include <gtest/gtest.h>

namespace {

using Indices = std::vector<int>;

TEST(CommandLines, GivesTheLinesOfACommandAscending) {
  const std::vector<std::wstring> lines = {
      L"download|uri=a",
      L"# a comment",
      L"uri=b|download",             // the command need not come first
      L"download%2Dfile|uri=c",      // another command, escaped
      L"name=x|download|result=success",
      L"Download|uri=d",             // case counts
  };
  struct Case {
    const wchar_t* command;
    Indices expected;
  };
  const Case cases[] = {
      {L"download", {0, 2, 4}},
      {L"download-file", {3}},
      {L"Download", {5}},
      {L"# a comment", {1}},
      {L"save", {}},
  };
  setup::CommandLines index;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "command '" << std::wstring(c.command) << "'");
    EXPECT_EQ(index.Of(lines, c.command), c.expected);
  }
}

TEST(CommandLines, FollowsAScriptThatGrowsAndForgetsOneReplaced) {
  std::vector<std::wstring> lines = {L"download|uri=a", L"save"};
  setup::CommandLines index;
  EXPECT_EQ(index.Of(lines, L"download"), Indices{0});
  lines.push_back(L"download|uri=b");
  EXPECT_EQ(index.Of(lines, L"download"), (Indices{0, 2}));
  lines = {L"save"};  // shorter: another script
  EXPECT_EQ(index.Of(lines, L"download"), Indices{});
  lines = {L"download|uri=c", L"download|uri=d"};
  index.Clear();
  EXPECT_EQ(index.Of(lines, L"download"), (Indices{0, 1}));
}

}  // namespace
