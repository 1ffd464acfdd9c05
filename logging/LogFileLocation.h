// Where the log goes: the identity of the executable and module that log, and the log
// file's path chosen from the configuration.
#pragma once

#include <string>

#include "logging/LogConfig.h"
#include "logging/LogLine.h"
#include "platform/Types.h"

namespace logging {

// Longest path the log keeps, in characters, terminator included (MAX_PATH).
constexpr std::size_t kMaxLogPath = 260;

// Fills *identity with the executable's and `module`'s full upper-case paths and file
// names. False when a path cannot be had, when the executable's path is shorter than 5
// characters or lacks a '.' as its fourth character from the end, or when the module's
// path is shorter than 5 characters.
bool ReadProcessIdentity(platform::ModuleHandle module, ProcessIdentity* identity);

// The log file's default name: the executable's file name with its last four characters
// replaced by ".log" (TAMBER4SETUP.EXE gives TAMBER4SETUP.log).
std::wstring DefaultLogFileName(const std::wstring& processName);

// Chooses the log file's full path, first rule that applies: the program key's LogFilePath
// (made absolute, upper-cased, no folder created); LogFileNearExe (beside the executable);
// the "Tamber Log Files" folder in Documents when that is the folder choice and the shell
// gives it; else that folder in the temporary folder. The last two create the folder (an
// existing one is fine; a failure shows later, at the first write). False when the path
// is unusable.
bool ChooseLogFilePath(const LogSettings& settings, LogFolderChoice folder,
                       const ProcessIdentity& identity, std::wstring* path);

// The file-name part of `path`: what follows its last backslash (the whole path if none).
std::wstring FileNamePart(const std::wstring& path);

}  // namespace logging
