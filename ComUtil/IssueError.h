// Turning failed system calls into log lines and exceptions.
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
  // The system's text for the HRESULT (computed once and kept).
  const std::wstring& ErrorMessage() const;

 private:
  platform::HResult hr_;
  std::shared_ptr<platform::ErrorInfo> info_;
  mutable std::wstring message_;
  mutable bool haveMessage_ = false;
};

// Logs "Issuing exception 0x%08X: %s [%hs(%d)]" at Error severity. Never throws.
void IssueError(platform::HResult hr, const char* sourceFile, int sourceLine);

void ThrowIfFailed(platform::HResult hr, const char* sourceFile, int sourceLine);
platform::HResult ThrowIfFailedWithErrorInfo(platform::HResult hr, const char* sourceFile,
                                             int sourceLine);
void ThrowIfFalse(bool condition, const char* sourceFile, int sourceLine);
void ThrowLastErrorIfFalse(bool condition, const char* sourceFile, int sourceLine);

}  // namespace ComUtil
