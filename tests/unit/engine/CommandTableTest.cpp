// Finding a command by name: exact, case-sensitive, the first of two rows of one name.
#include "setup/engine/CommandTable.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandTable, FindsACommandByItsExactName) {
  const setup::CommandTable table({{L"save", nullptr, setup::kPlainCommand},
                                   {L"end-if", nullptr, setup::kClosesBlock},
                                   {L"alert", nullptr, setup::kPlainCommand},
                                   {L"end-if", nullptr, setup::kConditional},
                                   {L"", nullptr, setup::kSetsOwnResult}});
  struct Case {
    const wchar_t* name;
    bool found;
    unsigned traits;  // of the row found
  };
  const Case cases[] = {
      {L"alert", true, setup::kPlainCommand},
      {L"save", true, setup::kPlainCommand},
      {L"end-if", true, setup::kClosesBlock},  // the first row of the name
      {L"", true, setup::kSetsOwnResult},
      {L"Alert", false, 0},  // case counts
      {L"alerts", false, 0},
      {L"aaa", false, 0},    // before every name
      {L"zzz", false, 0},    // after every name
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "name '" << std::wstring(c.name) << "'");
    const setup::CommandEntry* entry = table.Find(c.name);
    ASSERT_EQ(entry != nullptr, c.found);
    if (entry == nullptr) continue;
    EXPECT_EQ(entry->name, c.name);
    EXPECT_EQ(entry->traits, c.traits);
  }
}

}  // namespace
