// The registry, with the grain of the Reg* API: every call returns a Win32 error code.
// Values travel as their type and raw bytes (strings as UTF-16LE with their terminator,
// exactly as Windows stores them); the helpers in RegistryKey.h read and write typed values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace platform {

class Registry {
 public:
  virtual ~Registry() = default;

  // RegOpenKeyExW.
  virtual Win32Error OpenKey(RegKey parent, const std::wstring& subKey, std::uint32_t access,
                             RegKey* key) = 0;
  // RegCreateKeyExW; *created tells whether the key is new (may be null).
  virtual Win32Error CreateKey(RegKey parent, const std::wstring& subKey, std::uint32_t access,
                               RegKey* key, bool* created) = 0;
  // RegCloseKey. Predefined roots are not closed.
  virtual Win32Error CloseKey(RegKey key) = 0;
  // RegQueryValueExW with a buffer of maxBytes: MoreData when the value is longer
  // (then *type is set and *data holds nothing). FileNotFound when absent.
  virtual Win32Error QueryValue(RegKey key, const std::wstring& name, std::uint32_t* type,
                                std::vector<std::uint8_t>* data, std::uint32_t maxBytes) = 0;
  // RegSetValueExW.
  virtual Win32Error SetValue(RegKey key, const std::wstring& name, std::uint32_t type,
                              const std::vector<std::uint8_t>& data) = 0;
  // RegDeleteValueW.
  virtual Win32Error DeleteValue(RegKey key, const std::wstring& name) = 0;
};

}  // namespace platform
