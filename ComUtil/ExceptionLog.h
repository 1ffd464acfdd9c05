// The catch-and-log pattern: an operation whose exceptions are logged (Error severity,
// category "Exception") and turned into its failure result, and the top-level handler that
// ends a run in order when an error reaches it that nothing else caught.
#pragma once

#include <string>

namespace ComUtil {

// The text of the exception being handled: FormatComErrorText for a _com_error,
// FormatExceptionText with what() for a standard exception (bad_alloc included), and
// with "Structured Exception" for anything else. Call only inside a catch block.
std::wstring DescribeCurrentException(const char* sourceFile, int sourceLine) noexcept;

// Logs the exception being handled at Error severity, category "Exception", when Error is
// enabled. Call only inside a catch block. Never throws.
void LogCurrentException(const char* sourceFile, int sourceLine) noexcept;

// Runs `operation`; if it throws anything, logs it (LogCurrentException with this source
// place) and returns `failure`. Nothing is rethrown.
template <class Result, class Operation>
Result CallAndLogExceptions(const char* sourceFile, int sourceLine, Result failure,
                            Operation&& operation) noexcept {
  try {
    return operation();
  } catch (...) {
    LogCurrentException(sourceFile, sourceLine);
    return failure;
  }
}

// The run status with which a run ends when an error reaches the top uncaught (fail).
constexpr int kUncaughtErrorStatus = 2;

// The top-level handler: logs the exception being handled as LogCurrentException does and
// returns kUncaughtErrorStatus for the run to end with. Call only inside a catch block.
int HandleUncaughtException(const char* sourceFile, int sourceLine) noexcept;

}  // namespace ComUtil
