// What the fuzz targets share: the input as UTF-16 code units, a simulated machine for
// code that reaches the platform, and a check that aborts (a crash libFuzzer reports).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/Machine.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTempFolder.h"
#include "text/Utf.h"

namespace fuzz {

// The bytes as little-endian UTF-16 code units (a last odd byte dropped).
inline std::wstring Utf16(const std::uint8_t* data, std::size_t size) {
  return text::Utf16LeToWide(std::string_view(reinterpret_cast<const char*>(data), size));
}

// A simulated machine installed for the whole run of the target.
inline platform::sim::SimMachine& Machine() {
  static platform::sim::SimTempFolder folder("tamber4fuzz");
  static std::unique_ptr<platform::sim::SimMachine> machine = [] {
    std::string error;
    return platform::sim::SimMachine::Load(folder.path() / "machine", &error);
  }();
  static platform::ScopedMachine installed(machine->machine());
  return *machine;
}

inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz: property broken: %s\n", what);
  std::abort();
}

}  // namespace fuzz
