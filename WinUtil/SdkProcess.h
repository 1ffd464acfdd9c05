// The list of running processes, for finding a process by the file name of its executable.
#pragma once

#include <cstdint>
#include <string>

namespace WinUtil {

// Called once per process with its id, its executable's file name (without folder; empty
// when it could not be read) and the caller's context. Returns true to go on, false to stop.
using ProcessCallback = bool (*)(std::uint32_t processId, const std::wstring& exeFile,
                                 void* context);

// Calls `callback` for each running process in the system's order: through PSAPI on
// Windows NT 4.0, through a toolhelp snapshot on the Windows 9x family and on NT 5.0 and
// later, the functions of either looked up at run time. True when the enumeration ran
// (completely, or until the callback stopped it); false on any other system, or when a
// library, a function or the snapshot could not be had: that failure is logged here and
// never thrown.
bool EnumerateProcesses(ProcessCallback callback, void* context);

}  // namespace WinUtil
