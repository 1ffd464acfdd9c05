#include "logging/Logger.h"

#include <algorithm>

#include "logging/LogFileAppend.h"
#include "logging/LogFileLocation.h"
#include "platform/CurrentProcess.h"
#include "platform/KernelObjects.h"
#include "platform/Machine.h"
#include "platform/SystemInfo.h"

namespace logging {
namespace {

constexpr wchar_t kMutexPrefix[] = L"Tamber Log File ";
constexpr std::uint32_t kMutexWaitMs = 15000;

bool HasColumn(const std::vector<LogColumn>& columns, LogColumn column) {
  return std::find(columns.begin(), columns.end(), column) != columns.end();
}

}  // namespace

bool Logger::Open(platform::ModuleHandle module, bool enableByDefault,
                  bool tempFolderByDefault) {
  if (opened_) return false;
  mask_.store(0);
  LogSwitch logSwitch = ReadLogSwitch(enableByDefault, tempFolderByDefault);
  if (!logSwitch.on) return MarkOpened();
  if (!ReadProcessIdentity(module, &identity_)) return false;
  LogSettings settings;
  if (!ReadLogSettings(logSwitch.baseKeyExists, identity_.processName, &settings))
    return MarkOpened();
  if (HasColumn(settings.columns, LogColumn::MemUsage)) platform::process().LoadMemoryInfo();
  if (!ChooseLogFilePath(settings, logSwitch.folder, identity_, &path_)) {
    path_.clear();
    return false;
  }
  if (!CreateMutexAndHeader(settings)) return false;
  columns_ = settings.columns;
  traceRelease_ = settings.traceRelease;
  installed_ = true;
  return MarkOpened();
}

// The first process to create the mutex owns it and starts the file with the header;
// a later one finds the mutex and leaves the file as it is. A header that cannot be
// written leaves logging off (the mask stays 0).
bool Logger::CreateMutexAndHeader(const LogSettings& settings) {
  bool existed = false;
  mutex_ = platform::kernel().CreateNamedMutex(kMutexPrefix + FileNamePart(path_), true,
                                               &existed);
  if (mutex_ == platform::kNoHandle) {
    path_.clear();
    return false;
  }
  bool headerWritten = true;
  if (!existed) {
    std::wstring header = BuildLogHeader(settings.fullHeader, settings.columnNames,
                                         settings.columns, platform::system().UtcNow());
    headerWritten = AppendToLogFile(path_, header,
                                    settings.alwaysAppend ? platform::file::OpenAlways
                                                          : platform::file::CreateAlways);
    platform::kernel().ReleaseMutex(mutex_);
  }
  if (headerWritten) mask_.store(settings.mask);
  return true;
}

void Logger::WriteLogLine(std::uint32_t severity, std::wstring_view category,
                          std::wstring_view message) noexcept {
  if (!installed_ || (mask_.load(std::memory_order_relaxed) & severity) == 0) return;
  try {
    std::uint32_t waited = platform::kernel().Wait(mutex_, kMutexWaitMs);
    if (waited != platform::wait::Object0 && waited != platform::wait::Abandoned) {
      mask_.store(0);
      return;
    }
    if (!WriteLineUnderMutex(severity, category, message)) mask_.store(0);
    ++entry_;
    platform::kernel().ReleaseMutex(mutex_);
  } catch (...) {
    mask_.store(0);
  }
}

// Builds and appends the line; false when the file could not be opened or anything threw.
bool Logger::WriteLineUnderMutex(std::uint32_t severity, std::wstring_view category,
                                 std::wstring_view message) {
  try {
    LogLineFields fields;
    fields.entry = entry_;
    fields.severity = severity;
    fields.category = category;
    fields.message = message;
    fields.identity = &identity_;
    std::wstring line = BuildLogLine(columns_, fields);
    bool appended = AppendToLogFile(path_, line, platform::file::OpenAlways);
    if (traceRelease_) platform::process().DebugOutput(line);
    return appended;
  } catch (...) {
    return false;
  }
}

void Logger::Close() noexcept {
  if (!opened_) return;
  mask_.store(0);
  installed_ = false;
  if (mutex_ == platform::kNoHandle) return;
  try {
    platform::kernel().Close(mutex_);
  } catch (...) {
  }
  mutex_ = platform::kNoHandle;
}

std::wstring Logger::FolderPath() const {
  std::size_t slash = path_.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path_.substr(0, slash + 1);
}

}  // namespace logging
