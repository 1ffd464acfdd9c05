// One process's log: its configuration, the named mutex it shares with the other
// processes of the same executable, and its line counter. The process-wide log (Log.h)
// is one Logger over LogSeverityMask; tests make more of them to play several processes.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "logging/LogConfig.h"
#include "logging/LogLine.h"
#include "platform/Types.h"

namespace logging {

class Logger {
 public:
  // `mask` is the severity mask this log drives and obeys.
  explicit Logger(std::atomic<std::uint32_t>& mask) : mask_(mask) {}
  Logger(const Logger&) = delete;
  Logger& operator=(const Logger&) = delete;

  // Reads the configuration, chooses the file, creates the mutex and, in the first process
  // to log into the file, writes the header. False when already opened, when a path is
  // unusable or when the mutex cannot be created; true otherwise, also when the
  // configuration turns logging off.
  bool Open(platform::ModuleHandle module, bool enableByDefault, bool tempFolderByDefault);

  // Writes one line under the mutex when `severity` is in the mask. Any failure (mutex not
  // obtained in 15 s, file not opened in ten attempts, an exception) sets the mask to 0 for
  // good. Never throws.
  void WriteLogLine(std::uint32_t severity, std::wstring_view category,
                    std::wstring_view message) noexcept;

  // Sets the mask to 0 and closes the mutex handle; afterwards every call does nothing.
  void Close() noexcept;

  // The log file's full path, and its folder (up to and including the last backslash).
  // Empty until a file was chosen.
  const std::wstring& FilePath() const { return path_; }
  std::wstring FolderPath() const;

 private:
  // Records that the configuration was decided; returns true for Open to pass on.
  bool MarkOpened() {
    opened_ = true;
    return true;
  }
  bool CreateMutexAndHeader(const LogSettings& settings);
  bool WriteLineUnderMutex(std::uint32_t severity, std::wstring_view category,
                           std::wstring_view message);

  std::atomic<std::uint32_t>& mask_;
  bool opened_ = false;
  bool installed_ = false;
  std::vector<LogColumn> columns_;
  bool traceRelease_ = false;
  ProcessIdentity identity_;
  std::wstring path_;
  platform::Handle mutex_ = platform::kNoHandle;
  std::uint32_t entry_ = 0;
};

// Puts `logger` in the place of the process-wide log and returns the one that was there.
// For a simulated machine that runs a second process of the program inside this one, which
// must start with a log of its own.
std::unique_ptr<Logger> ExchangeProcessLogger(std::unique_ptr<Logger> logger);

}  // namespace logging
