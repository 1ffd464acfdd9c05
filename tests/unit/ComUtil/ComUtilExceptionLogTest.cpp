// The catch-and-log pattern and the top-level handler for errors nothing else caught.
#include "ComUtil/ExceptionLog.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "ComUtil/IssueError.h"
#include "tests/unit/logging/LogTestSupport.h"

namespace {

using namespace logtest;

class ComUtilExceptionLog : public LogTest {
 protected:
  void SetUp() override { OpenLogWithColumns({L"Severity", L"Category", L"Message"}); }
  std::vector<std::string> Lines() { return LogLines(kTempLogPath); }
};

TEST_F(ComUtilExceptionLog, EachKindOfExceptionIsLoggedAndTurnedIntoTheFailureResult) {
  EXPECT_FALSE(ComUtil::CallAndLogExceptions("Enum", 40, false, []() -> bool {
    ComUtil::ThrowIfFalse(false, "Enum", 39);
    return true;
  }));
  EXPECT_EQ(ComUtil::CallAndLogExceptions("Enum", 41, -1, []() -> int { throw std::bad_alloc(); }),
            -1);
  EXPECT_EQ(ComUtil::CallAndLogExceptions("Enum", 42, -1,
                                          []() -> int { throw std::runtime_error("no snapshot"); }),
            -1);
  EXPECT_EQ(ComUtil::CallAndLogExceptions("Enum", 43, -1,
                                          []() -> int { throw std::runtime_error(""); }),
            -1);
  EXPECT_EQ(ComUtil::CallAndLogExceptions("Enum", 44, -1, []() -> int { throw 7; }), -1);
  EXPECT_EQ(Lines(),
            (std::vector<std::string>{
                "Error\tIssueError\tIssuing exception 0x80004005: Unspecified error [Enum(39)]",
                "Error\tException\tException 0x80004005: Unspecified error [Enum(40)]",
                "Error\tException\tException: " + std::string(std::bad_alloc().what()) +
                    " [Enum(41)]",
                "Error\tException\tException: no snapshot [Enum(42)]",
                "Error\tException\tException: Unknown exception [Enum(43)]",
                "Error\tException\tException: Structured Exception [Enum(44)]"}));
}

TEST_F(ComUtilExceptionLog, SuccessPassesThroughWithoutALine) {
  EXPECT_EQ(ComUtil::CallAndLogExceptions("Enum", 1, 0, [] { return 5; }), 5);
  EXPECT_TRUE(Lines().empty());
}

TEST_F(ComUtilExceptionLog, TheTopLevelHandlerLogsAndEndsTheRunWithStatusTwo) {
  int status = 0;
  sim().process().SetLastError(5);
  try {
    ComUtil::ThrowLastErrorIfFalse(false, "Tamber4Setup", 120);
  } catch (...) {
    status = ComUtil::HandleUncaughtException("Tamber4Setup", 900);
  }
  EXPECT_EQ(status, 2);
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "Error\tIssueError\tIssuing exception 0x80070005: Access is denied. "
                         "[Tamber4Setup(120)]",
                         "Error\tException\tException 0x80070005: Access is denied. "
                         "[Tamber4Setup(900)]"}));
}

TEST_F(ComUtilExceptionLog, NothingIsLoggedWhenErrorIsOff) {
  logging::LogSeverityMask.store(0);
  EXPECT_EQ(ComUtil::CallAndLogExceptions("Enum", 1, 3, []() -> int { throw 1; }), 3);
  logging::LogSeverityMask.store(7);
  EXPECT_TRUE(Lines().empty());
}

}  // namespace
