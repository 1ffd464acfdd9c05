// FormatMessageW into a string, for the system's and the modules' message tables.
#pragma once

#include <windows.h>

#include <string>

namespace platform::win32 {

// FormatMessageW with `flags` plus FORMAT_MESSAGE_ALLOCATE_BUFFER, and no argument list:
// without FORMAT_MESSAGE_IGNORE_INSERTS a message holding an insert such as "%1" then fails
// with ERROR_INVALID_PARAMETER rather than reading arguments that are not there. Returns
// false (last error set by FormatMessageW) when there is no text; *text is then empty.
bool FormatMessageText(DWORD flags, const void* source, DWORD id, DWORD language,
                       std::wstring* text);

}  // namespace platform::win32
