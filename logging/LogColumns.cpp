#include "logging/LogColumns.h"

#include "text/Utf.h"

namespace logging {
namespace {

constexpr const wchar_t* kColumnNames[kLogColumnCount] = {
    L"Entry",      L"Message",    L"Category",    L"Severity",   L"ThreadID",
    L"ProcessID",  L"ModuleName", L"ModulePath",  L"ProcessName", L"ProcessPath",
    L"MemUsage",   L"DateTime",   L"TickCount",   L"PerfCount",  L"KernelTime",
    L"UserTime",   L"TotalTime",  L"SourceFile",  L"SourceLine", L"SourceFileLine",
};

void AppendDigits(std::wstring* out, unsigned value, int width) {
  wchar_t digits[8];
  for (int i = width - 1; i >= 0; --i) {
    digits[i] = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  }
  out->append(digits, width);
}

}  // namespace

const wchar_t* LogColumnName(LogColumn column) {
  auto index = static_cast<std::size_t>(column);
  return index < kLogColumnCount ? kColumnNames[index] : L"";
}

bool FindLogColumn(std::wstring_view name, LogColumn* column) {
  for (std::size_t i = 0; i < kLogColumnCount; ++i) {
    if (text::EqualsIgnoreAsciiCase(name, kColumnNames[i])) {
      *column = static_cast<LogColumn>(i);
      return true;
    }
  }
  return false;
}

const wchar_t* SeverityName(std::uint32_t severity) {
  switch (severity) {
    case 1: return L"Error";
    case 2: return L"Warning";
    case 4: return L"Info";
    case 8: return L"Debug";
    default: return L"";
  }
}

std::wstring FormatLogTime(const platform::SystemTime& t) {
  std::wstring text;
  text.reserve(20);
  AppendDigits(&text, t.year, 4);
  text.push_back(L'-');
  AppendDigits(&text, t.month, 2);
  text.push_back(L'-');
  AppendDigits(&text, t.day, 2);
  text.push_back(L'T');
  AppendDigits(&text, t.hour, 2);
  text.push_back(L':');
  AppendDigits(&text, t.minute, 2);
  text.push_back(L':');
  AppendDigits(&text, t.second, 2);
  text.push_back(L'Z');
  return text;
}

std::wstring SanitizeLogMessage(std::wstring_view message) {
  std::wstring text(message);
  for (wchar_t& c : text)
    if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
  return text;
}

}  // namespace logging
