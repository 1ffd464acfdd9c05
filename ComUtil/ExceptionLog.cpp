#include "ComUtil/ExceptionLog.h"

#include <exception>
#include <new>

#include "ComUtil/ErrorText.h"
#include "ComUtil/IssueError.h"
#include "logging/Log.h"

namespace ComUtil {
namespace {

constexpr wchar_t kExceptionCategory[] = L"Exception";

// Classifies the exception being handled, in the order _com_error, bad_alloc, any other
// standard exception, anything else.
std::wstring DescribeRethrown(const char* sourceFile, int sourceLine) {
  try {
    throw;
  } catch (const _com_error& error) {
    return FormatComErrorText(error, nullptr, sourceFile, sourceLine);
  } catch (const std::bad_alloc& error) {
    return FormatExceptionText(error.what(), nullptr, sourceFile, sourceLine);
  } catch (const std::exception& error) {
    return FormatExceptionText(error.what(), nullptr, sourceFile, sourceLine);
  } catch (...) {
    return FormatExceptionText(kStructuredExceptionText, nullptr, sourceFile, sourceLine);
  }
}

}  // namespace

std::wstring DescribeCurrentException(const char* sourceFile, int sourceLine) noexcept {
  try {
    return DescribeRethrown(sourceFile, sourceLine);
  } catch (...) {
    return std::wstring();
  }
}

void LogCurrentException(const char* sourceFile, int sourceLine) noexcept {
  if (!logging::IsLogEnabled(logging::Error)) return;
  try {
    std::wstring text = DescribeRethrown(sourceFile, sourceLine);
    logging::LogText(logging::Error, kExceptionCategory, sourceFile, sourceLine, text);
  } catch (...) {
    // Describing the failure failed too (out of memory): nothing more can be said.
  }
}

int HandleUncaughtException(const char* sourceFile, int sourceLine) noexcept {
  LogCurrentException(sourceFile, sourceLine);
  return kUncaughtErrorStatus;
}

}  // namespace ComUtil
