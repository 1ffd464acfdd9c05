// Turning failed system calls into log lines and exceptions. Every helper logs through
// IssueError ("Issuing exception ...", Error severity) before it throws, so each thrown
// _com_error has its line in the log.
#pragma once

#include <memory>
#include <string>

#include "platform/Com.h"
#include "platform/Types.h"

namespace ComUtil {

// The exception the checking helpers throw: an HRESULT and, optionally, the thread's COM
// error information taken when it was raised.
class _com_error {
 public:
  explicit _com_error(platform::HResult hr,
                      std::shared_ptr<platform::ErrorInfo> info = nullptr);
  platform::HResult Error() const { return hr_; }
  const std::shared_ptr<platform::ErrorInfo>& ErrorInfo() const { return info_; }
  // The system's text for the HRESULT (ComErrorMessage), computed once and kept.
  const std::wstring& ErrorMessage() const;

 private:
  platform::HResult hr_;
  std::shared_ptr<platform::ErrorInfo> info_;
  mutable std::wstring message_;
  mutable bool haveMessage_ = false;
};

// Logs "Issuing exception 0x%08X: %s [%hs(%d)]" (without the bracketed place when
// `sourceFile` is null) at Error severity, category "IssueError", with the system's text
// for `hr` or "Unknown error 0x%08x" when it has none. Does nothing more when Error is not
// enabled. Never throws.
void IssueError(platform::HResult hr, const char* sourceFile, int sourceLine);

// When `hr` is a failure (negative): issues it and throws _com_error(hr).
void ThrowIfFailed(platform::HResult hr, const char* sourceFile, int sourceLine);
// When `hr` is a failure: takes the thread's COM error information, issues `hr` and throws
// _com_error(hr, info). Otherwise returns 0 (S_OK).
platform::HResult ThrowIfFailedWithErrorInfo(platform::HResult hr, const char* sourceFile,
                                             int sourceLine);
// When `condition` is false: issues and throws E_FAIL.
void ThrowIfFalse(bool condition, const char* sourceFile, int sourceLine);
// When `condition` is false: maps the thread's last error to an HRESULT
// (HRESULT_FROM_WIN32; 0 stays 0), issues it and throws it.
void ThrowLastErrorIfFalse(bool condition, const char* sourceFile, int sourceLine);

}  // namespace ComUtil

// The one way to check a system call that must not fail: the check stands where
// the call is made, and the source place (the file's kLogSource and the line) is captured
// here rather than passed by hand. Each logs "Issuing exception ..." before it raises.
#define TAMBER_THROW_LAST_ERROR_IF_FALSE(condition) \
  ::ComUtil::ThrowLastErrorIfFalse((condition), kLogSource, __LINE__)
#define TAMBER_THROW_IF_FALSE(condition) ::ComUtil::ThrowIfFalse((condition), kLogSource, __LINE__)
#define TAMBER_THROW_IF_FAILED(hr) ::ComUtil::ThrowIfFailed((hr), kLogSource, __LINE__)
