// Echoes the bootstrapper's log to the terminal while it is written: every append to a log
// file of the simulated machine is printed as it happens.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "platform/sim/SimMachine.h"

namespace tamber4sim {

class LogEcho {
 public:
  // Reads where the machine's configuration puts the log, and watches its writes.
  LogEcho(platform::sim::SimMachine& machine, std::FILE* out);
  ~LogEcho();
  LogEcho(const LogEcho&) = delete;
  LogEcho& operator=(const LogEcho&) = delete;

  // A log file: a *.log file in a folder named "Tamber Log Files", the LogFilePath of the
  // program's logging key, or the executable's path with ".log" (LogFileNearExe).
  bool IsLogFile(const std::wstring& fullPath) const;

  // The working-copy position (1-based) of the last line the program logged it processes;
  // 0 when none was logged.
  int LastProcessedLine() const { return lastProcessedLine_; }

 private:
  void Echo(const std::wstring& path, std::string_view bytes);
  void NoteProcessedLine(const std::string& line);

  platform::sim::SimMachine& machine_;
  std::FILE* out_;
  bool colour_;  // a terminal: errors and warnings in colour
  std::wstring configuredPath_;  // upper case; empty when none
  std::wstring nearExePath_;     // upper case
  int lastProcessedLine_ = 0;
};

}  // namespace tamber4sim
