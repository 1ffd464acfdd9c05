// The kinds of log column, their names, and the small text forms the fields share.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Types.h"

namespace logging {

// In this fixed order: the index is the column's number in the configuration.
enum class LogColumn : std::uint8_t {
  Entry,
  Message,
  Category,
  Severity,
  ThreadID,
  ProcessID,
  ModuleName,
  ModulePath,
  ProcessName,
  ProcessPath,
  MemUsage,
  DateTime,
  TickCount,
  PerfCount,
  KernelTime,
  UserTime,
  TotalTime,
  SourceFile,
  SourceLine,
  SourceFileLine,
};
constexpr std::size_t kLogColumnCount = 20;

// The column's name as written in the column-name line ("Entry", "ThreadID", ...).
const wchar_t* LogColumnName(LogColumn column);

// Finds the column named `name`, compared without regard to ASCII case. False when no
// column has that name (the empty name included).
bool FindLogColumn(std::wstring_view name, LogColumn* column);

// "Error", "Warning", "Info" or "Debug" for 1, 2, 4 or 8; the empty text for anything else.
const wchar_t* SeverityName(std::uint32_t severity);

// UTC time to the second in ISO 8601 form: "2026-03-01T10:15:42Z".
std::wstring FormatLogTime(const platform::SystemTime& time);

// The message as one field: every TAB, CR and LF becomes a space.
std::wstring SanitizeLogMessage(std::wstring_view message);

}  // namespace logging
