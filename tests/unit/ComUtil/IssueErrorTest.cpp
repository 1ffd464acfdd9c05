// Issuing errors and the checking helpers: the "Issuing exception" line, then the throw.
#include "ComUtil/IssueError.h"

#include <gtest/gtest.h>

#include "tests/unit/logging/LogTestSupport.h"

namespace {

using namespace logtest;
using platform::HResult;

HResult H(std::uint32_t value) { return static_cast<HResult>(value); }

class IssueError : public LogTest {
 protected:
  void SetUp() override { OpenLogWithColumns({L"Severity", L"Category", L"Message"}); }
  std::vector<std::string> Lines() { return LogLines(kTempLogPath); }

  // Runs `check`, which must throw, and returns the HRESULT it threw.
  template <class Check>
  HResult Thrown(Check check) {
    try {
      check();
    } catch (const ComUtil::_com_error& error) {
      return error.Error();
    }
    ADD_FAILURE() << "nothing was thrown";
    return 0;
  }
};

TEST_F(IssueError, LogsTheSystemTextWithoutItsLineBreakAndThePlace) {
  ComUtil::IssueError(H(0x80070005u), "alpha", 12);
  ComUtil::IssueError(H(0x80070005u), nullptr, 12);
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "Error\tIssueError\tIssuing exception 0x80070005: Access is denied. "
                         "[alpha(12)]",
                         "Error\tIssueError\tIssuing exception 0x80070005: Access is denied."}));
}

TEST_F(IssueError, CodeWithoutSystemTextGetsTheFallbackInLowerCaseHex) {
  ComUtil::IssueError(H(0xA00BCDEFu), "gamma", 3);
  EXPECT_EQ(Lines(), std::vector<std::string>{"Error\tIssueError\tIssuing exception 0xA00BCDEF: "
                                              "Unknown error 0xa00bcdef [gamma(3)]"});
}

TEST_F(IssueError, WithErrorOffNothingIsLoggedAndNothingThrown) {
  logging::LogSeverityMask.store(logging::Info);
  ComUtil::IssueError(platform::hr::Fail, "f", 1);
  EXPECT_TRUE(Lines().empty());
}

TEST_F(IssueError, ThrowIfFailedThrowsFailuresOnlyAfterIssuingThem) {
  ComUtil::ThrowIfFailed(platform::hr::False, "f", 1);
  ComUtil::ThrowIfFailed(platform::hr::Ok, "f", 2);
  EXPECT_TRUE(Lines().empty());
  EXPECT_EQ(Thrown([] { ComUtil::ThrowIfFailed(H(0x80070002u), "f", 3); }), H(0x80070002u));
  EXPECT_EQ(Lines(), std::vector<std::string>{"Error\tIssueError\tIssuing exception 0x80070002: "
                                              "The system cannot find the file specified. [f(3)]"});
}

TEST_F(IssueError, ThrowIfFalseThrowsEFail) {
  ComUtil::ThrowIfFalse(true, "f", 1);
  EXPECT_EQ(Thrown([] { ComUtil::ThrowIfFalse(false, "f", 9); }), platform::hr::Fail);
  EXPECT_EQ(Lines(), std::vector<std::string>{
                         "Error\tIssueError\tIssuing exception 0x80004005: Unspecified error [f(9)]"});
}

TEST_F(IssueError, ThrowLastErrorIfFalseMapsTheLastError) {
  sim().process().SetLastError(2);
  ComUtil::ThrowLastErrorIfFalse(true, "f", 1);
  EXPECT_EQ(Thrown([] { ComUtil::ThrowLastErrorIfFalse(false, "f", 2); }), H(0x80070002u));
  sim().process().SetLastError(0);
  EXPECT_EQ(Thrown([] { ComUtil::ThrowLastErrorIfFalse(false, "f", 3); }), 0);
  std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].rfind("Error\tIssueError\tIssuing exception 0x00000000: ", 0), 0u);
  EXPECT_EQ(lines[1].substr(lines[1].size() - 7), " [f(3)]");
}

TEST_F(IssueError, ThrowIfFailedWithErrorInfoCarriesTheThreadsErrorInformation) {
  EXPECT_EQ(ComUtil::ThrowIfFailedWithErrorInfo(platform::hr::False, "f", 1), platform::hr::Ok);
  sim().com().SetErrorInfo(L"The job is gone.", L"Bits.Manager", platform::Guid{});
  try {
    ComUtil::ThrowIfFailedWithErrorInfo(H(0x80200001u), "f", 2);
    FAIL() << "nothing was thrown";
  } catch (const ComUtil::_com_error& error) {
    EXPECT_EQ(error.Error(), H(0x80200001u));
    ASSERT_NE(error.ErrorInfo(), nullptr);
    std::wstring description;
    ASSERT_TRUE(error.ErrorInfo()->Description(&description));
    EXPECT_EQ(description, L"The job is gone.");
  }
  EXPECT_EQ(Lines().size(), 1u);
}

}  // namespace
