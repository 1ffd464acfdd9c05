// Reads what the simulated installer needs from a real .msi file: the ProductCode,
// UpgradeCode and ProductVersion rows of its Property table (through libmsi, host only).
#pragma once

#include <filesystem>
#include <string>

namespace platform::sim {

struct MsiPackageProperties {
  std::wstring productCode;
  std::wstring upgradeCode;
  std::wstring productVersion;
};

// False when the file is not an installer database or lacks a ProductCode.
bool ReadMsiPackageProperties(const std::filesystem::path& hostPath, MsiPackageProperties* properties);

}  // namespace platform::sim
