#include "logging/Log.h"

#include <memory>

#include "logging/LogTesting.h"
#include "logging/Logger.h"
#include "platform/Machine.h"
#include "platform/SystemInfo.h"

namespace logging {

std::atomic<std::uint32_t> LogSeverityMask{0};

namespace {

// Longest formatted message, in characters (a buffer of 4,096 with its terminator).
constexpr std::size_t kMaxMessageChars = 4095;

std::unique_ptr<Logger>& ProcessLoggerSlot() {
  static std::unique_ptr<Logger> logger = std::make_unique<Logger>(LogSeverityMask);
  return logger;
}

Logger& ProcessLogger() { return *ProcessLoggerSlot(); }

// Cuts a formatted message to the buffer's size. A surrogate pair is never split: a high
// surrogate left last by the cut is dropped with its partner.
void CutToMessageLimit(std::wstring* text) {
  if (text->size() <= kMaxMessageChars) return;
  text->resize(kMaxMessageChars);
  wchar_t last = text->back();
  if (last >= 0xD800 && last <= 0xDBFF) text->pop_back();
}

std::wstring AnsiToWide(std::string_view text) {
  return platform::system().AnsiToWide(std::string(text));
}

// Formats, cuts and writes through the process log; anything thrown on the way (the
// formatter or a conversion running out of memory) turns logging off.
template <class Char>
void WriteFormatted(LogSeverity severity, std::wstring_view category,
                    std::basic_string_view<Char> format, text::FormatArgs args) {
  try {
    std::wstring message = text::FormatText(format, args);
    CutToMessageLimit(&message);
    ProcessLogger().WriteLogLine(severity, category, message);
  } catch (...) {
    LogSeverityMask.store(0);
  }
}

template <class Char>
void WriteFormatted(LogSeverity severity, std::string_view category,
                    std::basic_string_view<Char> format, text::FormatArgs args) {
  try {
    WriteFormatted(severity, std::wstring_view(AnsiToWide(category)), format, args);
  } catch (...) {
    LogSeverityMask.store(0);
  }
}

// Narrow texts are converted with the ANSI code page before writing.
std::wstring Widen(std::string_view text) { return AnsiToWide(text); }
std::wstring Widen(std::wstring_view text) { return std::wstring(text); }

template <class Category, class Message>
void WriteText(LogSeverity severity, Category category, Message message) {
  try {
    ProcessLogger().WriteLogLine(severity, Widen(category), Widen(message));
  } catch (...) {
    LogSeverityMask.store(0);
  }
}

}  // namespace

bool OpenLog(platform::ModuleHandle module, bool enableByDefault, bool tempFolderByDefault) {
  try {
    return ProcessLogger().Open(module, enableByDefault, tempFolderByDefault);
  } catch (...) {
    LogSeverityMask.store(0);
    return false;
  }
}

void CloseLog() { ProcessLogger().Close(); }

std::wstring LogFilePath() { return ProcessLogger().FilePath(); }

std::wstring LogFolderPath() { return ProcessLogger().FolderPath(); }

void LogFormatted(LogSeverity severity, std::wstring_view category, const char*, int,
                  std::wstring_view format, text::FormatArgs args) {
  if (IsLogEnabled(severity)) WriteFormatted(severity, category, format, args);
}

void LogFormatted(LogSeverity severity, std::wstring_view category, const char*, int,
                  std::string_view format, text::FormatArgs args) {
  if (IsLogEnabled(severity)) WriteFormatted(severity, category, format, args);
}

void LogFormatted(LogSeverity severity, std::string_view category, const char*, int,
                  std::wstring_view format, text::FormatArgs args) {
  if (IsLogEnabled(severity)) WriteFormatted(severity, category, format, args);
}

void LogFormatted(LogSeverity severity, std::string_view category, const char*, int,
                  std::string_view format, text::FormatArgs args) {
  if (IsLogEnabled(severity)) WriteFormatted(severity, category, format, args);
}

void LogText(LogSeverity severity, std::wstring_view category, const char*, int,
             std::wstring_view message) {
  if (IsLogEnabled(severity)) WriteText(severity, category, message);
}

void LogText(LogSeverity severity, std::wstring_view category, const char*, int,
             std::string_view message) {
  if (IsLogEnabled(severity)) WriteText(severity, category, message);
}

void LogText(LogSeverity severity, std::string_view category, const char*, int,
             std::wstring_view message) {
  if (IsLogEnabled(severity)) WriteText(severity, category, message);
}

void LogText(LogSeverity severity, std::string_view category, const char*, int,
             std::string_view message) {
  if (IsLogEnabled(severity)) WriteText(severity, category, message);
}

std::unique_ptr<Logger> ExchangeProcessLogger(std::unique_ptr<Logger> logger) {
  std::unique_ptr<Logger> previous = std::move(ProcessLoggerSlot());
  ProcessLoggerSlot() = std::move(logger);
  return previous;
}

void ResetLogForTesting() {
  ProcessLogger().Close();
  ProcessLoggerSlot() = std::make_unique<Logger>(LogSeverityMask);
  LogSeverityMask.store(0);
}

}  // namespace logging
