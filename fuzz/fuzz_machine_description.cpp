// Any machine.txt and registry.txt: the machine loads, or the file and line are named.
#include <fstream>

#include "fuzz/FuzzSupport.h"
#include "platform/sim/SimRegistryText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static platform::sim::SimTempFolder folder("tamber4fuzz-machine");
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::filesystem::path machine = folder.path() / "machine";
  // Afresh for each input: what one description made on the simulated disk would otherwise
  // pile up, and every later load would list it.
  std::filesystem::remove_all(machine);
  std::filesystem::create_directories(machine);
  std::ofstream(machine / "machine.txt", std::ios::binary) << text;
  std::string error;
  if (!platform::sim::SimMachine::Load(machine, &error))
    fuzz::Require(error.rfind("machine.txt line ", 0) == 0, "a refusal names machine.txt's line");
  platform::sim::SimRegistry registry;
  if (platform::sim::RegistryFromText(text, &registry, &error)) {
    const std::string saved = platform::sim::RegistryToText(registry);
    platform::sim::SimRegistry again;
    fuzz::Require(platform::sim::RegistryFromText(saved, &again, &error), "a saved registry reads back");
    fuzz::Require(platform::sim::RegistryToText(again) == saved, "registry.txt round-trips");
  }
  return 0;
}
