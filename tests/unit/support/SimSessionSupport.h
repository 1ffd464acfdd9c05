// A simulated machine for tests of commands and whole sessions: the process log open in the
// temporary folder, scripts written to and read from the simulated disk, and the log's
// messages without their time and thread columns.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/sim/SimText.h"
#include "setup/engine/CommandParameters.h"
#include "setup/session/ProcessState.h"
#include "tests/unit/logging/LogTestSupport.h"

namespace sessiontest {

inline const std::wstring kExe = L"C:\\Users\\User\\Downloads\\Tamber4Setup.exe";
inline const std::wstring kInstallFolder = L"C:\\Users\\User\\AppData\\Local\\Tamber4\\Install\\";

class SessionTest : public logtest::LogTest {
 protected:
  void TearDown() override {
    logtest::LogTest::TearDown();
    setup::ResetProcessState();
  }

  // Writes a script (UTF-16LE with its byte-order mark, CR LF after each line).
  void PutScript(const std::wstring& path, const std::vector<std::wstring>& lines) {
    std::string bytes = "\xFF\xFE";
    for (const std::wstring& line : lines)
      for (wchar_t c : line + L"\r\n") {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
      }
    sim().PutFile(path, bytes);
  }

  // The parsed lines of a script on the simulated disk; empty when there is no file.
  std::vector<setup::CommandParameters> ReadScript(const std::wstring& path) {
    const std::string bytes = sim().FileBytes(path).value_or(std::string());
    std::wstring text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
      text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    std::vector<setup::CommandParameters> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
      lines.emplace_back();
      lines.back().Parse(text.substr(start, end - start));
    }
    return lines;
  }

  // The "result" of each line of a script on the simulated disk.
  std::vector<std::wstring> Results(const std::wstring& path) {
    std::vector<std::wstring> results;
    for (const setup::CommandParameters& line : ReadScript(path))
      results.push_back(line.GetParameter(L"result"));
    return results;
  }

  // The log's lines as "Severity\tCategory\tMessage" (header lines left out).
  std::vector<std::string> Messages() {
    std::vector<std::string> messages;
    for (const std::string& line : LogLines(logtest::kTempLogPath)) {
      std::size_t at = 0;
      for (int tab = 0; tab < 2 && at != std::string::npos; ++tab) at = line.find('\t', at + 1);
      if (at == std::string::npos || line.compare(at + 1, 9, "Severity\t") == 0) continue;
      messages.push_back(line.substr(at + 1));
    }
    return messages;
  }

  bool Logged(const std::string& message) {
    const std::vector<std::string> all = Messages();
    return std::find(all.begin(), all.end(), message) != all.end();
  }

  int CountLogged(const std::string& message) {
    const std::vector<std::string> all = Messages();
    return static_cast<int>(std::count(all.begin(), all.end(), message));
  }
};

}  // namespace sessiontest
