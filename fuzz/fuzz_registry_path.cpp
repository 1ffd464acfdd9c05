// Any registry path of a script: parsed into a root and a subkey, or refused, never more.
#include "fuzz/FuzzSupport.h"
#include "setup/commands/registry/RegistryValues.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Machine();
  const std::wstring path = fuzz::Utf16(data, size);
  setup::ParseRegistryPath(path, L"Fuzz");
  return 0;
}
