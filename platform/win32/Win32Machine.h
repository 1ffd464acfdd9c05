// The real machine: every system service backed by the Windows API.
#pragma once

#include "platform/Machine.h"

namespace platform::win32 {

// A Machine whose services are the process-lifetime Windows objects. The entry point
// installs it with ScopedMachine; every call it returns goes straight to Windows.
Machine WindowsMachine();

}  // namespace platform::win32
