// Any .reg file: imported or refused with the line named; what was imported exports as a
// file that imports into the same registry.
#include "fuzz/FuzzSupport.h"
#include "platform/sim/SimRegFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::sim::SimRegistry registry;
  std::string error;
  if (!platform::sim::ImportRegFile(std::string(reinterpret_cast<const char*>(data), size),
                                    &registry, &error)) {
    fuzz::Require(error.rfind("line ", 0) == 0, "a refusal names its line");
    return 0;
  }
  const std::string exported = platform::sim::ExportRegFile(registry);
  platform::sim::SimRegistry again;
  again.Clear();
  registry.Clear();
  fuzz::Require(platform::sim::ImportRegFile(exported, &again, &error), "an export imports");
  fuzz::Require(platform::sim::ExportRegFile(again) == exported, "an export round-trips");
  return 0;
}
