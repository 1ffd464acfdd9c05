#include "tools/tamber4sim/LogEcho.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/sim/SimPath.h"
#include "platform/sim/SimText.h"

namespace tamber4sim {
namespace {

using platform::sim::UpperCase;

const std::wstring kLogFolderName = L"TAMBER LOG FILES";
const std::wstring kLoggingKey = L"Software\\Tamber4\\Logging\\";

bool EndsWith(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A log line in the terminal's colour for its severity: errors red, warnings yellow.
std::string Coloured(const std::string& line) {
  if (line.find("\tError\t") != std::string::npos) return "\033[31m" + line + "\033[0m";
  if (line.find("\tWarning\t") != std::string::npos) return "\033[33m" + line + "\033[0m";
  return line;
}

}  // namespace

LogEcho::LogEcho(platform::sim::SimMachine& machine, std::FILE* out)
    : machine_(machine), out_(out), colour_(isatty(fileno(out)) != 0) {
  const std::wstring exe = machine.process().ExePath();
  const std::wstring programKey = kLoggingKey + UpperCase(platform::sim::FileNamePart(exe));
  const auto configured =
      machine.registry().GetString(platform::kHkeyCurrentUser, programKey, L"LogFilePath");
  std::wstring full;
  if (configured && machine.files().FullPath(*configured, &full)) configuredPath_ = UpperCase(full);
  if (exe.size() >= 4) nearExePath_ = UpperCase(exe.substr(0, exe.size() - 4) + L".log");
  machine.files().SetWriteObserver(
      [this](const std::wstring& path, std::string_view bytes) { Echo(path, bytes); });
}

LogEcho::~LogEcho() { machine_.files().SetWriteObserver(nullptr); }

bool LogEcho::IsLogFile(const std::wstring& fullPath) const {
  const std::wstring upper = UpperCase(fullPath);
  if (!configuredPath_.empty() && upper == configuredPath_) return true;
  if (upper == nearExePath_) return true;
  return EndsWith(upper, L".LOG") &&
         UpperCase(platform::sim::FileNamePart(platform::sim::ParentPath(fullPath))) == kLogFolderName;
}

// "...\tRun\tProcessing line 7: ..." names the line the interpreter is about to run.
void LogEcho::NoteProcessedLine(const std::string& line) {
  static const std::string kProcessing = "\tProcessing line ";
  const std::size_t at = line.find(kProcessing);
  if (at == std::string::npos) return;
  const int number = std::atoi(line.c_str() + at + kProcessing.size());
  if (number > 0) lastProcessedLine_ = number;
}

// Prints the bytes (UTF-8 already) with the file's CR LF line ends as the terminal's LF.
void LogEcho::Echo(const std::wstring& path, std::string_view bytes) {
  if (!IsLogFile(path)) return;
  std::string text, line;
  text.reserve(bytes.size());
  for (char c : bytes) {
    if (c == '\r') continue;
    line.push_back(c);
    if (c != '\n') continue;
    NoteProcessedLine(line);
    text += colour_ ? Coloured(line) : line;
    line.clear();
  }
  text += line;
  std::fputs(text.c_str(), out_);
  std::fflush(out_);
}

}  // namespace tamber4sim
