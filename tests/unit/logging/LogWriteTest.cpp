// Writing lines: fields, message clean-up and cut, UTF-8, the shared file and mutex, and
// the failures that switch logging off.
#include <gtest/gtest.h>

#include <atomic>

#include "logging/Logger.h"
#include "platform/Types.h"
#include "platform/sim/SimKernelObjects.h"
#include "tests/unit/logging/LogTestSupport.h"

namespace {

using namespace logtest;
using platform::kHkeyCurrentUser;

constexpr char kLogSource[] = "LogWriteTest";

using LogWrite = LogTest;

TEST_F(LogWrite, DefaultColumnsGiveTheDocumentedLine) {
  ASSERT_TRUE(logging::OpenLog(0, true, true));
  TAMBER_LOG(Info, L"Module", L"Initializing module, command line '%s'.", L"/quiet");
  sim().clock().Advance(2000);
  logging::LogMessage(logging::Error, "Run", kLogSource, __LINE__, "code %d", -5);
  std::vector<std::string> lines = LogLines(kTempLogPath);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[4],
            "2026-03-01T10:15:42Z\t0x1F30\tInfo\tModule\tInitializing module, command line "
            "'/quiet'.");
  EXPECT_EQ(lines[5], "2026-03-01T10:15:44Z\t0x1F30\tError\tRun\tcode -5");
}

TEST_F(LogWrite, EveryColumnHasItsFieldForm) {
  sim().process().SetIds(0xABC, 0x12);
  sim().process().SetTimes(100, 23);
  sim().process().SetMemoryInfo(true, 5000);
  sim().clock().SetTickCount(4294967295u);
  OpenLogWithColumns({L"Entry", L"Severity", L"ThreadID", L"ProcessID", L"ModuleName",
                   L"ModulePath", L"ProcessName", L"ProcessPath", L"MemUsage", L"TickCount",
                   L"KernelTime", L"UserTime", L"TotalTime", L"SourceFile", L"SourceLine",
                   L"SourceFileLine", L"Entry"});
  TAMBER_LOG(Debug, L"Hidden", L"not in the mask");
  TAMBER_LOG(Warning, L"Cat", L"m");
  TAMBER_LOG(Info, L"Cat", L"m");
  EXPECT_EQ(LogLines(kTempLogPath),
            (std::vector<std::string>{
                "0\tWarning\t0x12\t0xABC\tTAMBER4SETUP.EXE\tC:\\USERS\\USER\\DOWNLOADS\\"
                "TAMBER4SETUP.EXE\tTAMBER4SETUP.EXE\tC:\\USERS\\USER\\DOWNLOADS\\TAMBER4SETUP.EXE"
                "\t4K\t4294967295\t100\t23\t123\t\t\t\t0",
                "1\tInfo\t0x12\t0xABC\tTAMBER4SETUP.EXE\tC:\\USERS\\USER\\DOWNLOADS\\"
                "TAMBER4SETUP.EXE\tTAMBER4SETUP.EXE\tC:\\USERS\\USER\\DOWNLOADS\\TAMBER4SETUP.EXE"
                "\t4K\t4294967295\t100\t23\t123\t\t\t\t1"}));
}

TEST_F(LogWrite, MemUsageIsNotAvailableWithoutTheMemoryFunction) {
  sim().process().SetMemoryInfo(false, 5000);
  OpenLogWithColumns({L"MemUsage", L"PerfCount"});
  TAMBER_LOG(Info, L"Cat", L"m");
  std::vector<std::string> lines = LogLines(kTempLogPath);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].substr(0, 4), "N/A\t");
  EXPECT_EQ(lines[0].substr(4), std::to_string(sim().clock().PerformanceCounter()));
}

TEST_F(LogWrite, MessageStaysOnOneLineAndCategoryIsUnchanged) {
  OpenLogWithColumns({L"Category", L"Message"});
  TAMBER_LOG(Info, L"Ca\tt", L"a\tb\r\nc\nd");
  logging::LogText(logging::Info, L"Text", kLogSource, __LINE__, L"100% done\r\n");
  EXPECT_EQ(LogLines(kTempLogPath),
            (std::vector<std::string>{"Ca\tt\ta b  c d", "Text\t100% done  "}));
}

TEST_F(LogWrite, LongMessagesAreCutTo4095Characters) {
  OpenLogWithColumns({L"Message"});
  std::wstring exact(4095, L'x');
  TAMBER_LOG(Info, L"Cat", L"%s", exact);
  TAMBER_LOG(Info, L"Cat", L"%s-%s", exact, L"tail");
  // A cut that would split a surrogate pair drops the pair's first half too.
  TAMBER_LOG(Info, L"Cat", L"%s\xD83D\xDE00", std::wstring(4094, L'y'));
  std::vector<std::string> lines = LogLines(kTempLogPath);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], std::string(4095, 'x'));
  EXPECT_EQ(lines[1], std::string(4095, 'x'));
  EXPECT_EQ(lines[2], std::string(4094, 'y'));
}

TEST_F(LogWrite, NarrowFormsAreConvertedAndTextIsWrittenAsUtf8) {
  OpenLogWithColumns({L"Category", L"Message"});
  logging::LogText(logging::Info, "Caf\xE9", kLogSource, __LINE__, "na\xEFve");
  TAMBER_LOG(Info, L"Wide", L"\x00E9\x20AC\xD83D\xDE00|\xD800|\xDC00");
  EXPECT_EQ(LogLines(kTempLogPath),
            (std::vector<std::string>{"Caf\xC3\xA9\tna\xC3\xAFve",
                                      "Wide\t\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80|\xED\xA0\x80|"
                                      "\xED\xB0\x80"}));
}

TEST_F(LogWrite, TraceReleaseSendsEachLineToTheDebugger) {
  registry().PutDword(kHkeyCurrentUser, kProgramKey, L"TraceRelease", 1);
  OpenLogWithColumns({L"Severity", L"Message"});
  TAMBER_LOG(Warning, L"Cat", L"watch");
  EXPECT_EQ(sim().process().DebugOutputLines(), std::vector<std::wstring>{L"Warning\twatch\r\n"});
}

TEST_F(LogWrite, FirstProcessTruncatesAndAlwaysAppendKeepsTheOldFile) {
  sim().PutFile(kTempLogPath, "old\r\n");
  ASSERT_TRUE(logging::OpenLog(0, true, true));
  EXPECT_EQ(LogLines(kTempLogPath).front(), "");
  logging::ResetLogForTesting();

  sim().PutFile(kTempLogPath, "old\r\n");
  registry().PutDword(kHkeyCurrentUser, kProgramKey, L"AlwaysAppend", 1);
  ASSERT_TRUE(logging::OpenLog(0, true, true));
  EXPECT_EQ(LogBytes(kTempLogPath),
            "old\r\n\r\nLogging started: 2026-03-01T10:15:42Z\r\n\r\n"
            "DateTime\tThreadID\tSeverity\tCategory\tMessage\r\n");
}

TEST_F(LogWrite, ASecondProcessSharesTheFileAndCountsItsOwnEntries) {
  OpenLogWithColumns({L"Entry", L"ProcessID", L"Message"});
  TAMBER_LOG(Info, L"Cat", L"first A");

  // The elevated copy: another process of the same executable on the same disk.
  platform::sim::SimMachine other(hostRoot());
  other.process().SetIds(0x77, 0x78);
  std::atomic<std::uint32_t> otherMask{0};
  logging::Logger otherLog(otherMask);
  {
    platform::ScopedMachine asOther(other.machine());
    other.registry().PutString(kHkeyCurrentUser, kColumnsKey, L"1", L"Entry");
    other.registry().PutString(kHkeyCurrentUser, kColumnsKey, L"2", L"ProcessID");
    other.registry().PutString(kHkeyCurrentUser, kColumnsKey, L"3", L"Message");
    ASSERT_TRUE(otherLog.Open(0, true, true));
    EXPECT_EQ(otherMask.load(), 7u);
    otherLog.WriteLogLine(logging::Info, L"Cat", L"first B");
    otherLog.WriteLogLine(logging::Info, L"Cat", L"second B");
  }
  TAMBER_LOG(Info, L"Cat", L"second A");
  {
    platform::ScopedMachine asOther(other.machine());
    otherLog.Close();
  }
  EXPECT_EQ(LogLines(kTempLogPath),
            (std::vector<std::string>{"0\t0x1A2C\tfirst A", "0\t0x77\tfirst B",
                                      "1\t0x77\tsecond B", "1\t0x1A2C\tsecond A"}));
}

TEST_F(LogWrite, AFileThatOpensOnTheTenthAttemptIsWritten) {
  OpenLogWithColumns({L"Message"});
  sim().files().FailPath(kTempLogPath, platform::err::SharingViolation, 9);
  std::uint64_t sleptBefore = sim().process().SleptMilliseconds();
  TAMBER_LOG(Info, L"Cat", L"late");
  EXPECT_EQ(sim().process().SleptMilliseconds() - sleptBefore, 900u);
  EXPECT_EQ(LogLines(kTempLogPath), std::vector<std::string>{"late"});
  EXPECT_EQ(logging::LogSeverityMask.load(), 7u);
}

TEST_F(LogWrite, AFileThatCannotBeOpenedTenTimesSwitchesLoggingOffForGood) {
  OpenLogWithColumns({L"Entry", L"Message"});
  sim().files().FailPath(kTempLogPath, platform::err::SharingViolation, 10);
  TAMBER_LOG(Info, L"Cat", L"lost");
  EXPECT_EQ(logging::LogSeverityMask.load(), 0u);
  TAMBER_LOG(Error, L"Cat", L"also lost");
  EXPECT_EQ(LogBytes(kTempLogPath), "");
  // The mutex was released after the failed write.
  EXPECT_TRUE(sim().kernel().HoldMutex(kMutexName));
  sim().kernel().ReleaseHeldMutex(kMutexName);
}

TEST_F(LogWrite, AMutexHeldPastFifteenSecondsSwitchesLoggingOff) {
  OpenLogWithColumns({L"Message"});
  ASSERT_TRUE(sim().kernel().HoldMutex(kMutexName, 15001));
  std::uint64_t ticks = sim().clock().Ticks();
  TAMBER_LOG(Info, L"Cat", L"lost");
  EXPECT_EQ(sim().clock().Ticks() - ticks, 15000u);
  EXPECT_EQ(logging::LogSeverityMask.load(), 0u);
  EXPECT_EQ(LogBytes(kTempLogPath), "");
  sim().kernel().ReleaseHeldMutex(kMutexName);
}

TEST_F(LogWrite, AMutexReleasedWithinTheWaitOrAbandonedStillGivesTheLine) {
  OpenLogWithColumns({L"Message"});
  ASSERT_TRUE(sim().kernel().HoldMutex(kMutexName, 14999));
  TAMBER_LOG(Info, L"Cat", L"waited");
  ASSERT_TRUE(sim().kernel().HoldMutex(kMutexName));
  sim().kernel().AbandonHeldMutex(kMutexName);
  TAMBER_LOG(Info, L"Cat", L"abandoned");
  EXPECT_EQ(LogLines(kTempLogPath), (std::vector<std::string>{"waited", "abandoned"}));
  EXPECT_EQ(logging::LogSeverityMask.load(), 7u);
}

TEST_F(LogWrite, AHeaderThatCannotBeWrittenLeavesLoggingOff) {
  sim().files().FailPath(kTempLogPath, platform::err::AccessDenied, 10);
  EXPECT_TRUE(logging::OpenLog(0, true, true));
  EXPECT_EQ(logging::LogSeverityMask.load(), 0u);
  TAMBER_LOG(Error, L"Cat", L"lost");
  EXPECT_FALSE(LogFileExists(kTempLogPath));
}

}  // namespace
