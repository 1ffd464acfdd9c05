#include "logging/LogLine.h"

#include <gtest/gtest.h>

#include "logging/LogColumns.h"

namespace {

using logging::LogColumn;

TEST(LogColumns, NamesMatchWithoutRegardToCaseAndOnlyWhole) {
  LogColumn column = LogColumn::Entry;
  ASSERT_TRUE(logging::FindLogColumn(L"message", &column));
  EXPECT_EQ(column, LogColumn::Message);
  ASSERT_TRUE(logging::FindLogColumn(L"SOURCEFILELINE", &column));
  EXPECT_EQ(column, LogColumn::SourceFileLine);
  ASSERT_TRUE(logging::FindLogColumn(L"ThreadId", &column));
  EXPECT_EQ(column, LogColumn::ThreadID);
  EXPECT_FALSE(logging::FindLogColumn(L"", &column));
  EXPECT_FALSE(logging::FindLogColumn(L"SourceFil", &column));
  EXPECT_FALSE(logging::FindLogColumn(L"Message ", &column));
}

TEST(LogColumns, EveryColumnIsFoundByItsOwnNameAtItsIndex) {
  for (std::size_t i = 0; i < logging::kLogColumnCount; ++i) {
    LogColumn column = LogColumn::Entry;
    const wchar_t* name = logging::LogColumnName(static_cast<LogColumn>(i));
    ASSERT_TRUE(logging::FindLogColumn(name, &column)) << i;
    EXPECT_EQ(static_cast<std::size_t>(column), i);
  }
  EXPECT_STREQ(logging::LogColumnName(LogColumn::MemUsage), L"MemUsage");
  EXPECT_STREQ(logging::LogColumnName(LogColumn::PerfCount), L"PerfCount");
}

TEST(LogColumns, SeverityNamesAndTimeForm) {
  EXPECT_STREQ(logging::SeverityName(1), L"Error");
  EXPECT_STREQ(logging::SeverityName(2), L"Warning");
  EXPECT_STREQ(logging::SeverityName(4), L"Info");
  EXPECT_STREQ(logging::SeverityName(8), L"Debug");
  EXPECT_STREQ(logging::SeverityName(3), L"");

  platform::SystemTime t;
  t.year = 2026, t.month = 3, t.day = 1, t.hour = 9, t.minute = 5, t.second = 2;
  t.milliseconds = 999;
  EXPECT_EQ(logging::FormatLogTime(t), L"2026-03-01T09:05:02Z");
}

TEST(LogColumns, MessageLosesTabsAndLineBreaksOnly) {
  EXPECT_EQ(logging::SanitizeLogMessage(L"a\tb\r\nc\n\rd 100%"), L"a b  c  d 100%");
}

TEST(LogHeader, FullHeaderThenColumnNames) {
  platform::SystemTime t;
  t.year = 2026, t.month = 12, t.day = 31, t.hour = 23, t.minute = 59, t.second = 58;
  std::vector<LogColumn> columns{LogColumn::DateTime, LogColumn::Severity, LogColumn::Message};
  EXPECT_EQ(logging::BuildLogHeader(true, true, columns, t),
            L"\r\nLogging started: 2026-12-31T23:59:58Z\r\n\r\nDateTime\tSeverity\tMessage\r\n");
  EXPECT_EQ(logging::BuildLogHeader(false, true, columns, t), L"DateTime\tSeverity\tMessage\r\n");
  EXPECT_EQ(logging::BuildLogHeader(true, false, columns, t),
            L"\r\nLogging started: 2026-12-31T23:59:58Z\r\n\r\n");
  EXPECT_EQ(logging::BuildLogHeader(false, false, columns, t), L"");
  EXPECT_EQ(logging::BuildLogHeader(false, true, {}, t), L"\r\n");
}

TEST(LogLine, FieldsThatNeedNoSystemFollowTheirColumns) {
  logging::ProcessIdentity id{L"C:\\DL\\TAMBER4SETUP.EXE", L"TAMBER4SETUP.EXE", L"C:\\DL\\MOD.DLL",
                              L"MOD.DLL"};
  logging::LogLineFields fields;
  fields.entry = 17;
  fields.severity = 2;
  fields.category = L"Cat\tegory";
  fields.message = L"one\ttwo";
  fields.identity = &id;
  std::vector<LogColumn> columns{
      LogColumn::Entry,      LogColumn::Message,     LogColumn::Category,
      LogColumn::Severity,   LogColumn::ModuleName,  LogColumn::ModulePath,
      LogColumn::ProcessName, LogColumn::ProcessPath, LogColumn::SourceFile,
      LogColumn::SourceLine, LogColumn::SourceFileLine, LogColumn::Entry};
  EXPECT_EQ(logging::BuildLogLine(columns, fields),
            L"17\tone two\tCat\tegory\tWarning\tMOD.DLL\tC:\\DL\\MOD.DLL\tTAMBER4SETUP.EXE\t"
            L"C:\\DL\\TAMBER4SETUP.EXE\t\t\t\t17\r\n");
  EXPECT_EQ(logging::BuildLogLine({}, fields), L"\r\n");
}

}  // namespace
