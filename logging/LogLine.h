// One log line and the header block, built from the configured columns.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "logging/LogColumns.h"
#include "platform/Types.h"

namespace logging {

// The executable and the module that opened the log, upper-cased once at start-up.
struct ProcessIdentity {
  std::wstring processPath;
  std::wstring processName;
  std::wstring modulePath;
  std::wstring moduleName;
};

// What one line is about; the clocks, ids and times are read from the system as the line
// is built.
struct LogLineFields {
  std::uint32_t entry = 0;  // lines this process wrote before this one
  std::uint32_t severity = 0;
  std::wstring_view category;
  std::wstring_view message;
  const ProcessIdentity* identity = nullptr;
};

// Appends the field of `column` (without separators) to `line`.
void AppendLogField(std::wstring* line, LogColumn column, const LogLineFields& fields);

// The whole line: the fields of `columns` in order separated by TABs, then CR LF. No
// columns give a line that is just CR LF.
std::wstring BuildLogLine(const std::vector<LogColumn>& columns, const LogLineFields& fields);

// The text the first process writes at the top of the file: with `fullHeader`, an empty
// line, "Logging started: " and the time, then an empty line; with `columnNames`, the
// names of `columns` joined by TABs and CR LF. Both off give the empty text.
std::wstring BuildLogHeader(bool fullHeader, bool columnNames,
                            const std::vector<LogColumn>& columns,
                            const platform::SystemTime& startedUtc);

}  // namespace logging
