#include "logging/LogFileAppend.h"

#include "platform/CurrentProcess.h"
#include "platform/Files.h"
#include "platform/Machine.h"

namespace logging {
namespace {

constexpr int kOpenAttempts = 10;
constexpr std::uint32_t kOpenRetryDelayMs = 100;

// Closes the file handle when it goes out of scope.
class ScopedFile {
 public:
  explicit ScopedFile(platform::Handle handle) : handle_(handle) {}
  ~ScopedFile() {
    if (handle_ != platform::kNoHandle) platform::files().Close(handle_);
  }
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;
  platform::Handle get() const { return handle_; }

 private:
  platform::Handle handle_;
};

platform::Handle OpenWithRetries(const std::wstring& path, std::uint32_t disposition) {
  for (int attempt = 1;; ++attempt) {
    platform::Handle file =
        platform::files().Create(path, platform::file::GenericWrite, platform::file::ShareRead,
                                 disposition, platform::file::AttributeNormal);
    if (file != platform::kNoHandle || attempt == kOpenAttempts) return file;
    platform::process().Sleep(kOpenRetryDelayMs);
  }
}

void AppendUtf8(std::string* out, std::uint32_t cp) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool IsHighSurrogate(std::uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::string EncodeLogUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t unit = static_cast<std::uint32_t>(text[i]);
    if (unit > 0x10FFFF) unit = 0xFFFD;  // only a 32-bit wchar_t can hold such a value
    if (IsHighSurrogate(unit) && i + 1 < text.size() &&
        IsLowSurrogate(static_cast<std::uint32_t>(text[i + 1]))) {
      std::uint32_t low = static_cast<std::uint32_t>(text[++i]);
      unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
    AppendUtf8(&out, unit);
  }
  return out;
}

bool AppendToLogFile(const std::wstring& path, std::wstring_view text,
                     std::uint32_t disposition) {
  ScopedFile file(OpenWithRetries(path, disposition));
  if (file.get() == platform::kNoHandle) return false;
  platform::files().SeekToEnd(file.get());
  std::string bytes = EncodeLogUtf8(text);
  std::uint32_t written = 0;
  platform::files().Write(file.get(), bytes.data(), static_cast<std::uint32_t>(bytes.size()),
                          &written);
  return true;
}

}  // namespace logging
