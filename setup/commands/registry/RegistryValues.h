// What the registry commands share: a script's registry path split into its root and subkey,
// a value read whole as text or as a number, and the fatal writes below HKEY_CURRENT_USER.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/RegistryKey.h"
#include "platform/Types.h"

namespace setup {

struct RegistryPath {
  platform::RegKey root = 0;
  std::wstring prefix;  // the root prefix as written, e.g. "HKLM\"
  std::wstring subKey;  // the rest of the path
};

// Splits `path` at its root prefix: "HKCR\", "HKCU\", "HKLM\", "HKCC\" (tried in this order
// as the first five characters), then "HKU\". Case-sensitive. Without a known prefix, logs
// the error under `category` and returns nothing.
std::optional<RegistryPath> ParseRegistryPath(const std::wstring& path, const wchar_t* category);

// Reads value `name` of the open `key` as text: REG_SZ as stored, REG_EXPAND_SZ with its
// environment variables expanded, any other type as the empty text. Returns the registry's
// code: Success, or FileNotFound (or another failure) when the value cannot be read.
platform::Win32Error ReadValueText(platform::RegKey key, const std::wstring& name,
                                   std::wstring* text);

// Value `name` of the open `key` as a signed number: the 32-bit pattern of a REG_DWORD of
// exactly four bytes; 0 for any other type or size, or a value that cannot be read.
std::int32_t ReadValueNumber(platform::RegKey key, const std::wstring& name);

// Creates or opens HKEY_CURRENT_USER\`path` with read and write access. A key that cannot be
// had is a fatal error (logged and raised).
platform::ScopedRegKey CreateUserKeyForWriting(const std::wstring& path);

// Raises `error`, a registry call's result, as a fatal error (logged) unless it is Success.
void ThrowIfRegistryFailed(platform::Win32Error error);

}  // namespace setup
