// The program's entry point, shared by Tamber4Setup.exe and tamber4sim: runs the whole
// session against the installed machine and returns the process exit code.
#pragma once

#include <string>

#include "platform/Types.h"

namespace setup {

int TamberMain(platform::ModuleHandle module, const std::wstring& commandLine);

}  // namespace setup
