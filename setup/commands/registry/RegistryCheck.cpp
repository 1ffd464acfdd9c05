// CheckRegistry: the registry condition of "if-registry-check", "alert" and "abort".
#include <optional>

#include "logging/Log.h"
#include "platform/RegistryKey.h"
#include "setup/commands/registry/RegistryCommands.h"
#include "setup/commands/registry/RegistryValues.h"
#include "setup/engine/DecimalParameter.h"
#include "setup/session/VersionCompare.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "RegistryCheck";
const wchar_t kCategory[] = L"CheckRegistry";

// Registry value minus script number, limited to the 32-bit range so that the sign stays
// right for values far apart (a plain 32-bit difference would wrap and turn 2147483647
// minus -1 into a negative result).
std::int32_t CompareNumbers(std::int32_t value, std::int32_t number) {
  const std::int64_t difference = static_cast<std::int64_t>(value) - number;
  if (difference > INT32_MAX) return INT32_MAX;
  if (difference < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(difference);
}

// Ordinal, case-sensitive comparison of two texts: -1, 0 or 1.
int CompareTexts(const std::wstring& a, const std::wstring& b) {
  const int order = a.compare(b);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// The comparison of value `name` of `key` with the line's data: negative when the registry
// value is less, 0 when equal, positive when greater. Logs the value and the result.
int CompareValue(platform::RegKey key, const std::wstring& name, const CommandParameters& line) {
  const std::wstring data = line.GetParameter(L"registry-value-data");
  if (line.IsYes(L"compare-as-number")) {
    const std::int32_t value = ReadValueNumber(key, name);
    const std::int32_t result = CompareNumbers(value, ParseDecimalParameter(data));
    TAMBER_LOG(Info, kCategory, L"Value in registry: '%d', compare result %d.", value, result);
    return result;
  }
  std::wstring value;
  ReadValueText(key, name, &value);
  const int result = line.IsYes(L"compare-as-version") ? CompareVersionStrings(value, data)
                                                        : CompareTexts(value, data);
  TAMBER_LOG(Info, kCategory, L"Value in registry: '%s', compare result %d.", value, result);
  return result;
}

// Applies operator `op` to a comparison result. An unknown operator is logged and gives
// `fallback`.
bool ApplyOperator(const std::wstring& op, int result, bool fallback) {
  if (op.empty() || op == L"equal-to") return result == 0;
  if (op == L"less-than") return result < 0;
  if (op == L"less-than-or-equal") return result <= 0;
  if (op == L"greater-than") return result > 0;
  if (op == L"greater-than-or-equal") return result >= 0;
  TAMBER_LOG(Error, kCategory, L"Unrecognized comparison operator '%s' for %s.", op,
             L"registry-value-data-is");
  return fallback;
}

// The condition, or nothing when the path has no known root (already logged).
std::optional<bool> Evaluate(const CommandParameters& line) {
  const std::wstring op = line.GetParameter(L"registry-value-data-is");
  // A missing key or value counts as less than any data.
  const bool missing = op == L"less-than" || op == L"less-than-or-equal";
  const std::wstring path = line.GetParameter(L"registry-path");
  if (path.empty()) return true;
  const std::optional<RegistryPath> parsed = ParseRegistryPath(path, kCategory);
  if (!parsed) return std::nullopt;
  platform::ScopedRegKey key;
  const platform::Win32Error error = key.Open(parsed->root, parsed->subKey, platform::reg::Read);
  if (error != platform::err::Success) {
    TAMBER_LOG(Info, kCategory, L"Key '%s' not found. (GetLastError reports 0x%X.)",
               parsed->subKey, error);
    return missing;
  }
  TAMBER_LOG(Info, kCategory, L"Registry key '%s%s' found.", parsed->prefix, parsed->subKey);
  const std::wstring name = line.GetParameter(L"registry-value-name");
  if (name.empty()) return true;
  std::wstring ignored;
  if (ReadValueText(key.get(), name, &ignored) != platform::err::Success) {
    TAMBER_LOG(Info, kCategory, L"Key '%s' value '%s' not found.", parsed->subKey, name);
    return missing;
  }
  TAMBER_LOG(Info, kCategory, L"Key's value named '%s' found.", name);
  if (line.GetParameter(L"registry-value-data").empty()) return true;
  return ApplyOperator(op, CompareValue(key.get(), name, line), missing);
}

}  // namespace

bool CheckRegistry(const CommandParameters& line) {
  const std::optional<bool> outcome = Evaluate(line);
  if (!outcome) return false;
  TAMBER_LOG(Info, kCategory, L"Returning %s", *outcome ? L"true" : L"false");
  return *outcome;
}

}  // namespace setup
