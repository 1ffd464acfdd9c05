#include "logging/LogFileAppend.h"

#include "platform/CurrentProcess.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Owner.h"
#include "text/Utf.h"

namespace logging {
namespace {

constexpr int kOpenAttempts = 10;
constexpr std::uint32_t kOpenRetryDelayMs = 100;

platform::Handle OpenWithRetries(const std::wstring& path, std::uint32_t disposition) {
  for (int attempt = 1;; ++attempt) {
    platform::Handle file =
        platform::files().Create(path, platform::file::GenericWrite, platform::file::ShareRead,
                                 disposition, platform::file::AttributeNormal);
    if (file != platform::kNoHandle || attempt == kOpenAttempts) return file;
    platform::process().Sleep(kOpenRetryDelayMs);
  }
}

}  // namespace

bool AppendToLogFile(const std::wstring& path, std::wstring_view content,
                     std::uint32_t disposition) {
  platform::ScopedHandle file(OpenWithRetries(path, disposition));
  if (file.Get() == platform::kNoHandle) return false;
  platform::files().SeekToEnd(file.Get());
  std::string bytes = text::WideToUtf8(content);
  std::uint32_t written = 0;
  platform::files().Write(file.Get(), bytes.data(), static_cast<std::uint32_t>(bytes.size()),
                          &written);
  return true;
}

}  // namespace logging
