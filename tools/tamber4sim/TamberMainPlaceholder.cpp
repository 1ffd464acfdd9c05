// PLACEHOLDER, linked only while setup/Tamber4Setup.cpp does not exist (cmake/Host.cmake
// leaves it out as soon as it does): lets tamber4sim build and load, run and save a
// machine before the session's entry point is written. It runs no script.
#include <cstdio>

#include "setup/Tamber4Setup.h"

namespace setup {

int TamberMain(platform::ModuleHandle, const std::wstring&) {
  std::fprintf(stderr, "tamber4sim: this build has no setup::TamberMain yet; no script was run.\n");
  return 2;
}

}  // namespace setup
