#include "logging/LogLine.h"

#include <gtest/gtest.h>

#include "logging/LogColumns.h"

namespace {

using logging::LogColumn;

TEST(LogColumns, NamesMatchWithoutRegardToCaseAndOnlyWhole) {
  LogColumn column = LogColumn::Entry;
  ASSERT_TRUE(logging::FindLogColumn(L"SOURCEFILELINE", &column));
  EXPECT_EQ(column, LogColumn::SourceFileLine);
  ASSERT_TRUE(logging::FindLogColumn(L"ThreadId", &column));
  EXPECT_EQ(column, LogColumn::ThreadID);
  EXPECT_FALSE(logging::FindLogColumn(L"", &column));
  EXPECT_FALSE(logging::FindLogColumn(L"SourceFil", &column));
  EXPECT_FALSE(logging::FindLogColumn(L"Message ", &column));
}

TEST(LogColumns, TimeIsZeroPaddedToTheSecond) {
  platform::SystemTime t;
  t.year = 987, t.month = 3, t.day = 1, t.hour = 9, t.minute = 5, t.second = 2;
  t.milliseconds = 999;
  EXPECT_EQ(logging::FormatLogTime(t), L"0987-03-01T09:05:02Z");
}

TEST(LogHeader, EitherPartCanBeLeftOut) {
  platform::SystemTime t;
  t.year = 2026, t.month = 12, t.day = 31, t.hour = 23, t.minute = 59, t.second = 58;
  std::vector<LogColumn> columns{LogColumn::DateTime, LogColumn::Severity, LogColumn::Message};
  EXPECT_EQ(logging::BuildLogHeader(false, true, columns, t), L"DateTime\tSeverity\tMessage\r\n");
  EXPECT_EQ(logging::BuildLogHeader(true, false, columns, t),
            L"\r\nLogging started: 2026-12-31T23:59:58Z\r\n\r\n");
  EXPECT_EQ(logging::BuildLogHeader(false, false, columns, t), L"");
}

}  // namespace
