// The log's tests run on a fresh simulated machine with the clock at a known time; the
// process log is put back in its never-opened state after each test. Helpers open the log
// and read the log file.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "logging/Log.h"
#include "logging/LogTesting.h"
#include "platform/Machine.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace logtest {

// The default machine's log file when nothing is configured.
inline const std::wstring kTempLogPath =
    L"C:\\Users\\User\\AppData\\Local\\Temp\\Tamber Log Files\\TAMBER4SETUP.log";
inline const std::wstring kDocumentsLogPath =
    L"C:\\Users\\User\\Documents\\Tamber Log Files\\TAMBER4SETUP.log";
inline const std::wstring kMutexName = L"Tamber Log File TAMBER4SETUP.log";
inline const std::wstring kBaseKey = L"Software\\Tamber4\\Logging";
inline const std::wstring kProgramKey = L"Software\\Tamber4\\Logging\\TAMBER4SETUP.EXE";
inline const std::wstring kColumnsKey = L"Software\\Tamber4\\Logging\\TAMBER4SETUP.EXE\\Columns";

class LogTest : public platform::sim::SimMachineTest {
 protected:
  LogTest() {
    platform::SystemTime start;
    start.year = 2026, start.month = 3, start.day = 1;
    start.hour = 10, start.minute = 15, start.second = 42;
    sim().clock().SetUtcNow(start);
  }
  void TearDown() override { logging::ResetLogForTesting(); }

  platform::sim::SimRegistry& registry() { return sim().registry(); }

  // Opens the process log in the temporary folder with the given columns and no header.
  void OpenLogWithColumns(std::initializer_list<const wchar_t*> names) {
    int index = 1;
    for (const wchar_t* name : names)
      registry().PutString(platform::kHkeyCurrentUser, kColumnsKey, std::to_wstring(index++),
                           name);
    registry().PutDword(platform::kHkeyCurrentUser, kProgramKey, L"FullHeader", 0);
    registry().PutDword(platform::kHkeyCurrentUser, kProgramKey, L"ColumnNames", 0);
    ASSERT_TRUE(logging::OpenLog(0, true, true));
  }

  // The log file's bytes; empty when there is no file.
  std::string LogBytes(const std::wstring& path) {
    return sim().FileBytes(path).value_or(std::string());
  }
  bool LogFileExists(const std::wstring& path) { return sim().FileBytes(path).has_value(); }

  // The file's lines without their CR LF; a final line without CR LF is kept as it is.
  std::vector<std::string> LogLines(const std::wstring& path) {
    std::string bytes = LogBytes(path);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos;
         start = end + 2)
      lines.push_back(bytes.substr(start, end - start));
    if (start < bytes.size()) lines.push_back(bytes.substr(start));
    return lines;
  }
};

}  // namespace logtest
