// Turning a script line's "program" and numbered argument parameters into a command line:
// special-folder tokens at the start of a path, argument quoting, and the executable's
// folder for a program not found from the current folder.
#pragma once

#include <string>

#include "setup/engine/CommandParameters.h"
#include "setup/session/SetupState.h"

namespace setup {

// When `path` begins with `token`: replaces the token by `folder` (joined by exactly one
// backslash to the rest) and returns true. An empty folder is logged and not used.
bool RenderPath(std::wstring* path, const std::wstring& token, const std::wstring& folder);

// Renders a leading special-folder token of `path` (a key of state.specialFolders equal to
// the whole value, then %InstallDirectory%, %LocalAppDataFolder%, %ProgramFiles%, %System%
// and %WorkingDirectory%). Returns whether it was rendered; *error is set when the path
// begins with "%" and no token could be rendered (logged).
bool MakeSpecialFolderPath(const SetupState& state, std::wstring* path, bool* error);

// Appends parameter `name` of `line` to *arguments (after one blank when not empty), in
// double quotes when forced, or when it holds a blank and quotes are not forbidden.
void AddArgument(const CommandParameters& line, const std::wstring& name, std::wstring* arguments,
                 bool forceQuotes, bool forceNoQuotes);

struct CommandLineParts {
  std::wstring commandLine;  // program, then a blank and the arguments when there are any
  std::wstring program;      // the program path, quoted when it holds a blank
  std::wstring arguments;
  bool error = false;  // "program" named an unknown special folder: nothing may run
};

// The command line of `line`: "program" rendered, then arg1, arg2, ... (or arg-quoted1, ...
// for a number without a plain one) up to the first missing number. A missing or empty
// "program" is a fatal error.
CommandLineParts BuildCommandLine(const SetupState& state, const CommandParameters& line,
                                  bool forceNoQuotes);

}  // namespace setup
