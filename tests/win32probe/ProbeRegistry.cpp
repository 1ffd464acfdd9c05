// Registry: create, set, query (with the MoreData case), delete, under
// HKCU\Software\Tamber4Probe, which the probe removes before and after.
#include <windows.h>

#include "Probe.h"
#include "platform/Machine.h"
#include "platform/Registry.h"

namespace probe {
namespace {

using platform::RegKey;
namespace err = platform::err;
namespace reg = platform::reg;

constexpr wchar_t kProbeKey[] = L"Software\\Tamber4Probe";

// Closes a key opened through the registry service.
struct ScopedKey {
  RegKey key = 0;
  ScopedKey() = default;
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;
  ~ScopedKey() {
    if (key != 0) platform::registry().CloseKey(key);
  }
};

void RemoveProbeKey() { ::RegDeleteKeyW(HKEY_CURRENT_USER, kProbeKey); }

// Reads a DWORD straight from Windows, to see that the service wrote where it said.
bool ReadDwordDirectly(const wchar_t* name, DWORD* value) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kProbeKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  DWORD type = 0, size = sizeof *value;
  const LSTATUS status =
      ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  ::RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_DWORD;
}

void ProbeKeys() {
  auto& registry = platform::registry();
  {
    ScopedKey key;
    bool created = false;
    const auto e = registry.CreateKey(platform::kHkeyCurrentUser, kProbeKey, reg::AllAccess,
                                      &key.key, &created);
    Check("registry: CreateKey makes a new key", e == err::Success && key.key != 0 && created,
          Hex(e));
  }
  {
    ScopedKey key;
    bool created = true;
    const auto e =
        registry.CreateKey(platform::kHkeyCurrentUser, kProbeKey, reg::Read, &key.key, &created);
    Check("registry: CreateKey of an existing key opens it", e == err::Success && !created, Hex(e));
  }
  ScopedKey missing;
  const auto e = registry.OpenKey(platform::kHkeyCurrentUser, L"Software\\Tamber4Probe\\None",
                                  reg::Read, &missing.key);
  Check("registry: OpenKey of a missing key gives FileNotFound",
        e == err::FileNotFound && missing.key == 0, Hex(e));
  Check("registry: CloseKey leaves a predefined root open",
        registry.CloseKey(platform::kHkeyCurrentUser) == err::Success &&
            registry.OpenKey(platform::kHkeyCurrentUser, kProbeKey, reg::Read, &missing.key) ==
                err::Success);
}

void ProbeStringValue(RegKey key) {
  auto& registry = platform::registry();
  const auto stored = Utf16Bytes(L"T\u00e4mber probe");
  Check("registry: SetValue REG_SZ", registry.SetValue(key, L"Name", reg::Sz, stored) == 0);
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  auto e = registry.QueryValue(key, L"Name", &type, &data, 1024);
  Check("registry: QueryValue returns the type and the stored bytes",
        e == err::Success && type == reg::Sz && data == stored, Hex(e));
  e = registry.QueryValue(key, L"Name", &type, &data, static_cast<std::uint32_t>(stored.size()));
  Check("registry: QueryValue with maxBytes exactly the size succeeds",
        e == err::Success && data == stored, Hex(e));
  type = 0;
  data.assign(3, 0xAA);
  e = registry.QueryValue(key, L"Name", &type, &data, 4);
  Check("registry: QueryValue past maxBytes gives MoreData, the type and no data",
        e == err::MoreData && type == reg::Sz && data.empty(), Hex(e));
  e = registry.QueryValue(key, L"Name", &type, &data, 0);
  Check("registry: QueryValue with maxBytes 0 gives MoreData", e == err::MoreData, Hex(e));
}

void ProbeDwordValue(RegKey key) {
  auto& registry = platform::registry();
  const std::vector<std::uint8_t> stored = {0x78, 0x56, 0x34, 0x12};
  Check("registry: SetValue REG_DWORD", registry.SetValue(key, L"Count", reg::Dword, stored) == 0);
  DWORD direct = 0;
  Check("registry: the DWORD is in HKCU as Windows reads it",
        ReadDwordDirectly(L"Count", &direct) && direct == 0x12345678u, Hex(direct));
  Check("registry: DeleteValue", registry.DeleteValue(key, L"Count") == err::Success);
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  auto e = registry.QueryValue(key, L"Count", &type, &data, 16);
  Check("registry: QueryValue of a deleted value gives FileNotFound", e == err::FileNotFound,
        Hex(e));
  e = registry.DeleteValue(key, L"Count");
  Check("registry: DeleteValue of a missing value gives FileNotFound", e == err::FileNotFound,
        Hex(e));
}

void ProbeReadOnlyKey() {
  auto& registry = platform::registry();
  ScopedKey key;
  auto e = registry.OpenKey(platform::kHkeyCurrentUser, kProbeKey, reg::Read, &key.key);
  if (!Check("registry: OpenKey for reading", e == err::Success, Hex(e))) return;
  e = registry.SetValue(key.key, L"Denied", reg::Dword, {1, 0, 0, 0});
  Check("registry: SetValue on a key opened for reading gives AccessDenied", e == err::AccessDenied,
        Hex(e));
}

}  // namespace

void ProbeRegistry() {
  RemoveProbeKey();
  ProbeKeys();
  {
    ScopedKey key;
    const auto e = platform::registry().OpenKey(platform::kHkeyCurrentUser, kProbeKey,
                                                reg::AllAccess, &key.key);
    if (Check("registry: OpenKey for writing", e == err::Success, Hex(e))) {
      ProbeStringValue(key.key);
      ProbeDwordValue(key.key);
    }
  }
  ProbeReadOnlyKey();
  RemoveProbeKey();
}

}  // namespace probe
