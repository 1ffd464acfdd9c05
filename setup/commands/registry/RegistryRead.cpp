// ReadRegistryString: one value of a script's registry path, as text.
#include "logging/Log.h"
#include "platform/RegistryKey.h"
#include "setup/commands/registry/RegistryCommands.h"
#include "setup/commands/registry/RegistryValues.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "RegistryRead";
const wchar_t kCategory[] = L"ReadRegistryString";

}  // namespace

bool ReadRegistryString(const std::wstring& path, const std::wstring& name, std::wstring* text) {
  if (path.empty()) return false;
  const std::optional<RegistryPath> parsed = ParseRegistryPath(path, kCategory);
  if (!parsed) return false;
  platform::ScopedRegKey key;
  const platform::Win32Error error = key.Open(parsed->root, parsed->subKey, platform::reg::Read);
  if (error != platform::err::Success) {
    TAMBER_LOG(Error, kCategory, L"Key '%s' not found. (GetLastError reports 0x%X.)",
               parsed->subKey, error);
    return false;
  }
  TAMBER_LOG(Info, kCategory, L"Registry key '%s%s' found.", parsed->prefix, parsed->subKey);
  std::wstring value;
  if (name.empty()) {
    ReadValueText(key.get(), name, &value);  // a key without a default value reads as empty
    TAMBER_LOG(Info, kCategory, L"Key's default value is '%s'.", value);
  } else if (ReadValueText(key.get(), name, &value) == platform::err::Success) {
    TAMBER_LOG(Info, kCategory, L"Key's string value named '%s' found, its value is '%s'.", name,
               value);
  } else {
    TAMBER_LOG(Error, kCategory, L"Key '%s' value '%s' not found.", parsed->subKey, name);
    return false;
  }
  *text = value;
  return true;
}

}  // namespace setup
