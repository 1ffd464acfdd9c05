// A simulated machine on a fresh host folder for the session's tests, with the log open
// (columns Severity, Category, Message, no header) and helpers for scripts and the log.
// The process log and the process-wide session values are put back after each test.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "logging/Log.h"
#include "logging/LogTesting.h"
#include "platform/Machine.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"
#include "setup/session/ProcessState.h"
#include "text/Utf.h"

namespace setuptest {

inline const std::wstring kExeFolder = L"C:\\Users\\User\\Downloads\\";
inline const std::wstring kInstallFolder = L"C:\\Users\\User\\AppData\\Local\\Tamber4\\Install\\";
inline const std::wstring kLogPath =
    L"C:\\Users\\User\\AppData\\Local\\Temp\\Tamber Log Files\\TAMBER4SETUP.log";
inline const std::wstring kLogProgramKey = L"Software\\Tamber4\\Logging\\TAMBER4SETUP.EXE";

class SetupTest : public platform::sim::SimMachineTest {
 protected:
  SetupTest() {
    setup::ResetProcessState();
    OpenLog();
  }
  ~SetupTest() override {
    logging::ResetLogForTesting();
    setup::ResetProcessState();
  }

  // Opens the process log with the columns the tests read.
  void OpenLog() {
    const std::wstring program = kLogProgramKey;
    const std::wstring columns = program + L"\\Columns";
    int index = 1;
    for (const wchar_t* name : {L"Severity", L"Category", L"Message"})
      sim().registry().PutString(platform::kHkeyCurrentUser, columns, std::to_wstring(index++), name);
    sim().registry().PutDword(platform::kHkeyCurrentUser, program, L"FullHeader", 0);
    sim().registry().PutDword(platform::kHkeyCurrentUser, program, L"ColumnNames", 0);
    logging::OpenLog(0, true, true);
  }

  // The log's lines ("Severity\tCategory\tMessage", UTF-8) without their CR LF.
  std::vector<std::string> Log() {
    const std::string bytes = sim().FileBytes(kLogPath).value_or(std::string());
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
      lines.push_back(bytes.substr(start, end - start));
    return lines;
  }
  bool Logged(const std::string& line) {
    const std::vector<std::string> lines = Log();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  // The number of log lines that start with `prefix`.
  std::size_t CountLogged(const std::string& prefix) {
    const std::vector<std::string> lines = Log();
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
  }

  // Writes a script file: byte-order mark and UTF-16LE text.
  void PutScript(const std::wstring& path, const std::wstring& text) {
    sim().PutFile(path, text::WideToUtf16Le(std::wstring(1, 0xFEFF) + text));
  }
  // The lines of a written script. Fails the test unless the file starts with a byte-order
  // mark and every line ends in CR LF.
  std::vector<std::wstring> ScriptLines(const std::wstring& path) {
    std::vector<std::wstring> lines;
    const std::optional<std::string> bytes = sim().FileBytes(path);
    if (!bytes) {
      ADD_FAILURE() << "no file";
      return lines;
    }
    std::wstring text = text::Utf16LeToWide(*bytes);
    EXPECT_EQ(text.substr(0, 1), std::wstring(1, 0xFEFF));
    std::size_t start = 1;
    for (std::size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
      lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
  }
};

}  // namespace setuptest
