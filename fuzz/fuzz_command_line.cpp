// Any command line: the program's arguments are cut without failing, the program path first.
#include "fuzz/FuzzSupport.h"
#include "setup/session/CommandLine.h"
#include "setup/session/SetupState.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Machine();
  setup::SetupState state;
  std::vector<std::wstring> args;
  setup::ParseCommandLine(state, fuzz::Utf16(data, size), &args);
  return 0;
}
