// The search path for DLLs loaded without a full path, by this program or by the system
// DLLs on its behalf.
#pragma once

namespace platform::win32 {

// Limits the search to System32 where the system can (Windows 8, and 7 and Vista with the
// update that added SetDefaultDllDirectories): the folder of a downloaded setup program is
// searched first otherwise, and anyone can drop a DLL of a system name there. Call it before
// anything else runs.
void SearchDllsInSystem32Only();

}  // namespace platform::win32
