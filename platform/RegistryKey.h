// Typed access to registry values over platform::registry(): an owning key handle and
// helpers that read and write DWORDs and strings with the distinctions the configuration
// readers need (a DWORD that is absent, present but zero, or set).
#pragma once

#include <cstdint>
#include <string>

#include "platform/Owner.h"
#include "platform/Types.h"

namespace platform {

// Owns one open registry key and closes it when it goes out of scope. Move-only.
// An open key, closed through the registry service.
struct RegKeyTraits {
  using Value = RegKey;
  static Value Invalid() { return 0; }
  static void Close(Value key);
};

class ScopedRegKey {
 public:

  // RegOpenKeyExW. Closes any key held first; on failure the object holds no key.
  Win32Error Open(RegKey parent, const std::wstring& subKey, std::uint32_t access);
  // RegCreateKeyExW. *created (may be null) tells whether the key is new.
  Win32Error Create(RegKey parent, const std::wstring& subKey, std::uint32_t access,
                    bool* created = nullptr);
  // Closes the key if one is held.
  void Close() { key_.Reset(); }

  bool IsOpen() const { return key_.Valid(); }
  RegKey get() const { return key_.Get(); }

 private:
  Owner<RegKeyTraits> key_;
};

// A DWORD as the configuration readers see it: present only when the value is a REG_DWORD
// of exactly four bytes; set when present and nonzero. Any other type or size is absent.
struct RegistryDword {
  bool present = false;
  std::uint32_t value = 0;
  bool IsSet() const { return present && value != 0; }
};

// Reads `name` under `key` as a DWORD (see RegistryDword). Never fails: a missing key,
// value, or a value of another type reads as absent.
RegistryDword QueryDwordValue(RegKey key, const std::wstring& name);

// Reads `name` under `key` with a buffer of `maxBytes` bytes. Returns the registry's code:
// Success, FileNotFound when absent, MoreData when longer than maxBytes. On success *type
// (may be null) receives the value's type and *text the string up to its first null when
// the type is REG_SZ or REG_EXPAND_SZ (unexpanded); any other type gives the empty text.
Win32Error QueryStringValue(RegKey key, const std::wstring& name, std::uint32_t maxBytes,
                            std::wstring* text, std::uint32_t* type = nullptr);

// As QueryStringValue, but REG_EXPAND_SZ values come back with their environment
// variables expanded.
Win32Error QueryExpandedStringValue(RegKey key, const std::wstring& name,
                                    std::uint32_t maxBytes, std::wstring* text,
                                    std::uint32_t* type = nullptr);

// Writes `value` as a REG_DWORD.
Win32Error SetDwordValue(RegKey key, const std::wstring& name, std::uint32_t value);

// Writes `text` as `type` (REG_SZ by default, or REG_EXPAND_SZ) with its terminating null
// counted in the stored size, as Windows programs conventionally store strings.
Win32Error SetStringValue(RegKey key, const std::wstring& name, const std::wstring& text,
                          std::uint32_t type = reg::Sz);

}  // namespace platform
