// The log library's public face: severities, the process-wide mask and the calls every
// operation logs through. Logging never fails towards its caller and never throws.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Types.h"
#include "text/Format.h"

namespace logging {

enum LogSeverity : std::uint32_t { Error = 1, Warning = 2, Info = 4, Debug = 8 };

// Enabled severities: 0 until OpenLog succeeds, 0 again after CloseLog or a failed write.
extern std::atomic<std::uint32_t> LogSeverityMask;

inline bool IsLogEnabled(LogSeverity severity) {
  return (LogSeverityMask.load(std::memory_order_relaxed) & severity) != 0;
}

// Opens the log as configured under HKCU "Software\Tamber4\Logging". `module` names the
// module whose file gives the ModuleName/ModulePath columns; `enableByDefault` and
// `tempFolderByDefault` decide when the base key gives no `Enabled`. Returns false when the
// log was already opened, a path is unusable or the mutex cannot be created; true
// otherwise, also when the configuration turns logging off (the mask then stays 0).
bool OpenLog(platform::ModuleHandle module, bool enableByDefault, bool tempFolderByDefault);
// Sets the mask to 0 and closes the log's mutex; every later call does nothing.
void CloseLog();

// The full path of the log file, and its folder (the path up to the file-name part).
std::wstring LogFilePath();
std::wstring LogFolderPath();

// Formats (printf-style, at most 4,095 characters) and writes one line when `severity` is
// enabled. A narrow category is converted with the ANSI code page. The source file and
// line are accepted and not written.
void LogFormatted(LogSeverity severity, std::wstring_view category, const char* sourceFile,
                  int sourceLine, std::wstring_view format, text::FormatArgs args);
void LogFormatted(LogSeverity severity, std::wstring_view category, const char* sourceFile,
                  int sourceLine, std::string_view format, text::FormatArgs args);
void LogFormatted(LogSeverity severity, std::string_view category, const char* sourceFile,
                  int sourceLine, std::wstring_view format, text::FormatArgs args);
void LogFormatted(LogSeverity severity, std::string_view category, const char* sourceFile,
                  int sourceLine, std::string_view format, text::FormatArgs args);

template <class Category, class FormatChar, class... Args>
void LogMessage(LogSeverity severity, const Category& category, const char* sourceFile,
                int sourceLine, const FormatChar* format, const Args&... args) {
  if (!IsLogEnabled(severity)) return;
  LogFormatted(severity, category, sourceFile, sourceLine,
               std::basic_string_view<FormatChar>(format), {text::FormatArg(args)...});
}

// Writes a finished text unchanged (a '%' stays a '%') when `severity` is enabled. Narrow
// categories and texts are converted with the ANSI code page.
void LogText(LogSeverity severity, std::wstring_view category, const char* sourceFile,
             int sourceLine, std::wstring_view message);
void LogText(LogSeverity severity, std::wstring_view category, const char* sourceFile,
             int sourceLine, std::string_view message);
void LogText(LogSeverity severity, std::string_view category, const char* sourceFile,
             int sourceLine, std::wstring_view message);
void LogText(LogSeverity severity, std::string_view category, const char* sourceFile,
             int sourceLine, std::string_view message);

}  // namespace logging

// Call-site form: tests the mask before the arguments are built. Each source file defines
// kLogSource, the name of its own source file (for example "Tamber4Setup").
#define TAMBER_LOG(severity, category, ...)                                            \
  do {                                                                                 \
    if (::logging::IsLogEnabled(::logging::severity))                                  \
      ::logging::LogMessage(::logging::severity, category, kLogSource, __LINE__,        \
                            __VA_ARGS__);                                              \
  } while (0)
