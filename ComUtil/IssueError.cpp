#include "ComUtil/IssueError.h"

#include "logging/Log.h"
#include "platform/CurrentProcess.h"
#include "platform/Machine.h"
#include "platform/SystemInfo.h"

namespace ComUtil {
namespace {

constexpr char kLogSource[] = "IssueError";

// The system's text for `hr` without its final line break, or the fallback text.
std::wstring IssuedErrorText(platform::HResult hr) {
  std::wstring text;
  if (!platform::system().SystemErrorText(static_cast<std::uint32_t>(hr), 0, &text) ||
      text.empty())
    return text::Format(L"Unknown error 0x%08x", hr);
  if (text.back() == L'\n') {
    text.pop_back();
    if (!text.empty() && text.back() == L'\r') text.pop_back();
  }
  return text;
}

}  // namespace

void IssueError(platform::HResult hr, const char* sourceFile, int sourceLine) {
  if (!logging::IsLogEnabled(logging::Error)) return;
  try {
    std::wstring text = IssuedErrorText(hr);
    if (sourceFile == nullptr)
      TAMBER_LOG(Error, L"IssueError", L"Issuing exception 0x%08X: %s", hr, text);
    else
      TAMBER_LOG(Error, L"IssueError", L"Issuing exception 0x%08X: %s [%hs(%d)]", hr, text,
                 sourceFile, sourceLine);
  } catch (...) {
    // Reporting an error must never raise one of its own.
  }
}

void ThrowIfFailed(platform::HResult hr, const char* sourceFile, int sourceLine) {
  if (!platform::hr::Failed(hr)) return;
  IssueError(hr, sourceFile, sourceLine);
  throw _com_error(hr);
}

platform::HResult ThrowIfFailedWithErrorInfo(platform::HResult hr, const char* sourceFile,
                                             int sourceLine) {
  if (!platform::hr::Failed(hr)) return platform::hr::Ok;
  std::shared_ptr<platform::ErrorInfo> info = platform::com().TakeErrorInfo();
  IssueError(hr, sourceFile, sourceLine);
  throw _com_error(hr, std::move(info));
}

void ThrowIfFalse(bool condition, const char* sourceFile, int sourceLine) {
  if (condition) return;
  IssueError(platform::hr::Fail, sourceFile, sourceLine);
  throw _com_error(platform::hr::Fail);
}

void ThrowLastErrorIfFalse(bool condition, const char* sourceFile, int sourceLine) {
  if (condition) return;
  platform::HResult hr = platform::hr::FromWin32(platform::process().LastError());
  IssueError(hr, sourceFile, sourceLine);
  throw _com_error(hr);
}

}  // namespace ComUtil
