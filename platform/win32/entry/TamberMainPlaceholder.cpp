// PLACEHOLDER, built only while setup/Tamber4Setup.cpp does not exist (see
// cmake/Windows.cmake): keeps Tamber4Setup.exe linking until the session lands. It runs
// nothing and reports failure (2), so no test can mistake it for a working program.
#include "setup/Tamber4Setup.h"

namespace setup {

int TamberMain(platform::ModuleHandle, const std::wstring&) { return 2; }

}  // namespace setup
