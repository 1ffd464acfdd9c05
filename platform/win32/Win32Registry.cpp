// The registry over the Reg* API: every call returns Windows' own error code.
#include <windows.h>

#include <algorithm>

#include "platform/Registry.h"
#include "platform/win32/Win32Services.h"

namespace platform::win32 {
namespace {

// The predefined roots (HKEY_CLASSES_ROOT 0x80000000 up to 0x8000000F) travel as their
// 32-bit values; <windows.h> defines them sign-extended, which matters on 64-bit Windows.
bool IsPredefinedRoot(RegKey key) {
  const auto low = static_cast<std::uint32_t>(key);
  const bool rootValue = low >= 0x80000000u && low <= 0x8000000Fu;
  const std::uint64_t high = static_cast<std::uint64_t>(key) >> 32;
  return rootValue && (high == 0 || high == 0xFFFFFFFFu);
}

HKEY ToHkey(RegKey key) {
  if (!IsPredefinedRoot(key)) return reinterpret_cast<HKEY>(key);
  const auto signExtended = static_cast<std::intptr_t>(static_cast<std::int32_t>(key));
  return reinterpret_cast<HKEY>(signExtended);
}

RegKey FromHkey(HKEY key) { return reinterpret_cast<RegKey>(key); }

class RegistryApi final : public Registry {
 public:
  Win32Error OpenKey(RegKey parent, const std::wstring& subKey, std::uint32_t access,
                     RegKey* key) override {
    HKEY opened = nullptr;
    const LSTATUS status = ::RegOpenKeyExW(ToHkey(parent), subKey.c_str(), 0, access, &opened);
    *key = status == ERROR_SUCCESS ? FromHkey(opened) : 0;
    return static_cast<Win32Error>(status);
  }

  Win32Error CreateKey(RegKey parent, const std::wstring& subKey, std::uint32_t access, RegKey* key,
                       bool* created) override {
    HKEY opened = nullptr;
    DWORD disposition = 0;
    const LSTATUS status =
        ::RegCreateKeyExW(ToHkey(parent), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          access, nullptr, &opened, &disposition);
    *key = status == ERROR_SUCCESS ? FromHkey(opened) : 0;
    if (created != nullptr)
      *created = status == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
    return static_cast<Win32Error>(status);
  }

  Win32Error CloseKey(RegKey key) override {
    if (IsPredefinedRoot(key)) return ERROR_SUCCESS;
    return static_cast<Win32Error>(::RegCloseKey(ToHkey(key)));
  }

  Win32Error QueryValue(RegKey key, const std::wstring& name, std::uint32_t* type,
                        std::vector<std::uint8_t>* data, std::uint32_t maxBytes) override {
    // The buffer is never null: with a null buffer Windows would report the size with
    // success instead of MoreData.
    std::vector<std::uint8_t> buffer(std::max<std::uint32_t>(maxBytes, 1));
    DWORD valueType = REG_NONE;
    DWORD size = maxBytes;
    const LSTATUS status =
        ::RegQueryValueExW(ToHkey(key), name.c_str(), nullptr, &valueType, buffer.data(), &size);
    if (type != nullptr) *type = valueType;
    if (data != nullptr) {
      data->clear();
      if (status == ERROR_SUCCESS)
        data->assign(buffer.begin(), buffer.begin() + std::min<std::size_t>(size, maxBytes));
    }
    return static_cast<Win32Error>(status);
  }

  Win32Error SetValue(RegKey key, const std::wstring& name, std::uint32_t type,
                      const std::vector<std::uint8_t>& data) override {
    return static_cast<Win32Error>(::RegSetValueExW(ToHkey(key), name.c_str(), 0, type, data.data(),
                                                    static_cast<DWORD>(data.size())));
  }

  Win32Error DeleteValue(RegKey key, const std::wstring& name) override {
    return static_cast<Win32Error>(::RegDeleteValueW(ToHkey(key), name.c_str()));
  }
};

}  // namespace

Registry& Win32Registry() {
  static RegistryApi registry;
  return registry;
}

}  // namespace platform::win32
