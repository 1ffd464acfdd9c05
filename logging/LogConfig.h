// The log's configuration as read from HKEY_CURRENT_USER "Software\Tamber4\Logging": the
// base key's switch, and the program key (named after the executable) with its severities,
// flags, file location and columns. Reading writes the missing switches back as DWORDs so
// that the key documents the settings in effect.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "logging/LogColumns.h"

namespace logging {

extern const wchar_t kLogBaseKeyPath[];  // "Software\Tamber4\Logging"

enum class LogFolderChoice { Documents, Temporary };

// What the base key decides before the executable is known.
struct LogSwitch {
  bool on = false;
  LogFolderChoice folder = LogFolderChoice::Temporary;
  bool baseKeyExists = false;
};

// Reads the base key's `Enabled`: set turns logging on into the Documents folder; present
// and 0 turns it off; missing (or no base key) leaves the choice to the two defaults.
LogSwitch ReadLogSwitch(bool enableByDefault, bool tempFolderByDefault);

struct LogSettings {
  std::uint32_t mask = 7;
  std::vector<LogColumn> columns;
  bool traceRelease = false;
  bool alwaysAppend = false;
  bool fullHeader = true;
  bool columnNames = true;
  bool logFileNearExe = false;
  std::optional<std::wstring> logFilePath;  // the program key's REG_SZ LogFilePath
};

// The columns used when the program key has no Columns subkey.
std::vector<LogColumn> DefaultLogColumns();

// Reads the program key `processName` under the base key into *settings, creating it (and
// writing Enabled = 1) when the base key exists, and writing the missing severity and trace
// switches. Returns false when the program key's `Enabled` is present and 0 (logging off).
bool ReadLogSettings(bool baseKeyExists, const std::wstring& processName,
                     LogSettings* settings);

}  // namespace logging
