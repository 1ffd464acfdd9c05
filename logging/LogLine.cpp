#include "logging/LogLine.h"

#include <optional>

#include "platform/CurrentProcess.h"
#include "platform/Machine.h"
#include "platform/SystemInfo.h"

namespace logging {
namespace {

void AppendHex(std::wstring* out, std::uint32_t value) {
  static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  wchar_t buffer[8];
  int n = 0;
  do {
    buffer[n++] = kDigits[value & 0xF];
    value >>= 4;
  } while (value != 0);
  out->append(L"0x");
  while (n > 0) out->push_back(buffer[--n]);
}

void AppendDecimal(std::wstring* out, std::uint64_t value) {
  wchar_t buffer[20];
  int n = 0;
  do {
    buffer[n++] = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (n > 0) out->push_back(buffer[--n]);
}

void AppendSigned(std::wstring* out, std::int64_t value) {
  if (value < 0) {
    out->push_back(L'-');
    AppendDecimal(out, 0 - static_cast<std::uint64_t>(value));
    return;
  }
  AppendDecimal(out, static_cast<std::uint64_t>(value));
}

void AppendMemUsage(std::wstring* out) {
  std::optional<std::uint64_t> bytes = platform::process().WorkingSetBytes();
  if (!bytes) {
    out->append(L"N/A");
    return;
  }
  AppendDecimal(out, *bytes / 1024);
  out->push_back(L'K');
}

// Kernel, user or total time of the process; 0 when the times cannot be had.
void AppendProcessTime(std::wstring* out, LogColumn column) {
  std::uint64_t kernel = 0, user = 0;
  if (!platform::process().Times(&kernel, &user)) kernel = user = 0;
  std::uint64_t value = column == LogColumn::KernelTime ? kernel
                        : column == LogColumn::UserTime ? user
                                                        : kernel + user;
  AppendDecimal(out, value);
}

// Fields that only need the line's own data or the identity.
bool AppendTextField(std::wstring* line, LogColumn column, const LogLineFields& f) {
  static const ProcessIdentity kNoIdentity;
  const ProcessIdentity& id = f.identity ? *f.identity : kNoIdentity;
  switch (column) {
    case LogColumn::Entry: AppendDecimal(line, f.entry); return true;
    case LogColumn::Message: line->append(SanitizeLogMessage(f.message)); return true;
    case LogColumn::Category: line->append(f.category); return true;
    case LogColumn::Severity: line->append(SeverityName(f.severity)); return true;
    case LogColumn::ModuleName: line->append(id.moduleName); return true;
    case LogColumn::ModulePath: line->append(id.modulePath); return true;
    case LogColumn::ProcessName: line->append(id.processName); return true;
    case LogColumn::ProcessPath: line->append(id.processPath); return true;
    case LogColumn::SourceFile:
    case LogColumn::SourceLine:
    case LogColumn::SourceFileLine: return true;
    default: return false;
  }
}

}  // namespace

void AppendLogField(std::wstring* line, LogColumn column, const LogLineFields& fields) {
  if (AppendTextField(line, column, fields)) return;
  switch (column) {
    case LogColumn::ThreadID: AppendHex(line, platform::process().ThreadId()); break;
    case LogColumn::ProcessID: AppendHex(line, platform::process().ProcessId()); break;
    case LogColumn::MemUsage: AppendMemUsage(line); break;
    case LogColumn::DateTime: line->append(FormatLogTime(platform::system().UtcNow())); break;
    case LogColumn::TickCount: AppendDecimal(line, platform::system().TickCount()); break;
    case LogColumn::PerfCount: AppendSigned(line, platform::system().PerformanceCounter()); break;
    case LogColumn::KernelTime:
    case LogColumn::UserTime:
    case LogColumn::TotalTime: AppendProcessTime(line, column); break;
    default: break;
  }
}

std::wstring BuildLogLine(const std::vector<LogColumn>& columns, const LogLineFields& fields) {
  std::wstring line;
  line.reserve(4096);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i != 0) line.push_back(L'\t');
    AppendLogField(&line, columns[i], fields);
  }
  line.append(L"\r\n");
  return line;
}

std::wstring BuildLogHeader(bool fullHeader, bool columnNames,
                            const std::vector<LogColumn>& columns,
                            const platform::SystemTime& startedUtc) {
  std::wstring header;
  if (fullHeader) {
    header.append(L"\r\nLogging started: ");
    header.append(FormatLogTime(startedUtc));
    header.append(L"\r\n\r\n");
  }
  if (columnNames) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (i != 0) header.push_back(L'\t');
      header.append(LogColumnName(columns[i]));
    }
    header.append(L"\r\n");
  }
  return header;
}

}  // namespace logging
