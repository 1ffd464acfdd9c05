#include "logging/LogConfig.h"

#include "platform/RegistryKey.h"
#include "text/Format.h"

namespace logging {

const wchar_t kLogBaseKeyPath[] = L"Software\\Tamber4\\Logging";

namespace {

using platform::QueryDwordValue;
using platform::RegKey;
using platform::ScopedRegKey;

constexpr std::uint32_t kLogFilePathMaxBytes = 520;
constexpr std::uint32_t kColumnNameMaxBytes = 256;

// A severity or trace switch of the program key: its value when present, else its default,
// which is then written so the key shows what is in effect (a value of the wrong type is
// replaced that way too).
bool ReadSwitchOrWriteDefault(RegKey key, const wchar_t* name, bool defaultOn) {
  platform::RegistryDword value = QueryDwordValue(key, name);
  if (value.present) return value.value != 0;
  platform::SetDwordValue(key, name, defaultOn ? 1 : 0);
  return defaultOn;
}

std::wstring ProgramKeyPath(const std::wstring& processName) {
  return std::wstring(kLogBaseKeyPath) + L"\\" + processName;
}

// Opens the program key for reading and writing, else for reading only.
ScopedRegKey OpenProgramKey(const std::wstring& path) {
  ScopedRegKey key;
  if (key.Open(platform::kHkeyCurrentUser, path, platform::reg::Read | platform::reg::Write) ==
      platform::err::Success)
    return key;
  key.Open(platform::kHkeyCurrentUser, path, platform::reg::Read);
  return key;
}

// Under an existing base key the program key is made to exist and to say it is enabled.
void EnsureProgramKeyEnabled(const std::wstring& path, ScopedRegKey* key) {
  if (!key->IsOpen())
    key->Create(platform::kHkeyCurrentUser, path, platform::reg::Read | platform::reg::Write);
  if (key->IsOpen() && !QueryDwordValue(key->get(), L"Enabled").present)
    platform::SetDwordValue(key->get(), L"Enabled", 1);
}

void ReadSeverities(RegKey key, LogSettings* settings) {
  static constexpr struct {
    const wchar_t* name;
    std::uint32_t bit;
  } kSeverities[] = {{L"SeverityError", 1},
                     {L"SeverityWarning", 2},
                     {L"SeverityInfo", 4},
                     {L"SeverityDebug", 8}};
  for (const auto& severity : kSeverities) {
    bool defaultOn = (settings->mask & severity.bit) != 0;
    if (ReadSwitchOrWriteDefault(key, severity.name, defaultOn))
      settings->mask |= severity.bit;
    else
      settings->mask &= ~severity.bit;
  }
  ReadSwitchOrWriteDefault(key, L"TraceDebug", true);
  settings->traceRelease = ReadSwitchOrWriteDefault(key, L"TraceRelease", false);
}

void ReadFileSettings(RegKey key, LogSettings* settings) {
  std::wstring path;
  std::uint32_t type = platform::reg::None;
  if (platform::QueryStringValue(key, L"LogFilePath", kLogFilePathMaxBytes, &path, &type) ==
          platform::err::Success &&
      type == platform::reg::Sz)
    settings->logFilePath = path;
  settings->logFileNearExe = QueryDwordValue(key, L"LogFileNearExe").IsSet();
  settings->alwaysAppend = QueryDwordValue(key, L"AlwaysAppend").IsSet();
  platform::RegistryDword fullHeader = QueryDwordValue(key, L"FullHeader");
  settings->fullHeader = !(fullHeader.present && fullHeader.value == 0);
  platform::RegistryDword columnNames = QueryDwordValue(key, L"ColumnNames");
  settings->columnNames = !(columnNames.present && columnNames.value == 0);
}

// The columns named by the values "1", "2", ... of the Columns key, up to the first value
// that is missing, empty or names no column.
std::vector<LogColumn> ReadColumns(const std::wstring& programKeyPath) {
  ScopedRegKey key;
  if (key.Open(platform::kHkeyCurrentUser, programKeyPath + L"\\Columns",
               platform::reg::Read) != platform::err::Success)
    return DefaultLogColumns();
  std::vector<LogColumn> columns;
  for (std::size_t i = 1; i <= kLogColumnCount; ++i) {
    std::wstring name;
    LogColumn column;
    if (platform::QueryExpandedStringValue(key.get(), text::DecimalText(i), kColumnNameMaxBytes,
                                           &name) != platform::err::Success ||
        !FindLogColumn(name, &column))
      break;
    columns.push_back(column);
  }
  return columns;
}

}  // namespace

LogSwitch ReadLogSwitch(bool enableByDefault, bool tempFolderByDefault) {
  LogSwitch result;
  ScopedRegKey base;
  result.baseKeyExists = base.Open(platform::kHkeyCurrentUser, kLogBaseKeyPath,
                                   platform::reg::Read) == platform::err::Success;
  platform::RegistryDword enabled = QueryDwordValue(base.get(), L"Enabled");
  if (enabled.present) {
    result.on = enabled.value != 0;
    result.folder = LogFolderChoice::Documents;
    return result;
  }
  result.on = enableByDefault;
  result.folder = tempFolderByDefault ? LogFolderChoice::Temporary : LogFolderChoice::Documents;
  return result;
}

std::vector<LogColumn> DefaultLogColumns() {
  return {LogColumn::DateTime, LogColumn::ThreadID, LogColumn::Severity, LogColumn::Category,
          LogColumn::Message};
}

bool ReadLogSettings(bool baseKeyExists, const std::wstring& processName,
                     LogSettings* settings) {
  const std::wstring path = ProgramKeyPath(processName);
  ScopedRegKey program = OpenProgramKey(path);
  if (program.IsOpen()) {
    platform::RegistryDword enabled = QueryDwordValue(program.get(), L"Enabled");
    if (enabled.present && enabled.value == 0) return false;
  }
  settings->mask = 7;
  if (baseKeyExists) EnsureProgramKeyEnabled(path, &program);
  if (program.IsOpen()) {
    ReadSeverities(program.get(), settings);
    ReadFileSettings(program.get(), settings);
  }
  settings->columns = ReadColumns(path);
  return true;
}

}  // namespace logging
