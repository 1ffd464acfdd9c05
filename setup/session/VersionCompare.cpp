#include "setup/session/VersionCompare.h"

#include <cstdint>
#include <limits>
#include <vector>

#include "logging/Log.h"

namespace setup {
namespace {

constexpr const char* kLogSource = "Tamber4Setup";

std::vector<std::wstring> SplitVersionParts(const std::wstring& text) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t dot = text.find(L'.', start);
    if (dot == std::wstring::npos) dot = text.size();
    if (dot > start) parts.push_back(text.substr(start, dot - start));
    start = dot + 1;
  }
  return parts;
}

bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

// strtol(part, nullptr, 10) with a 32-bit long, as on Windows.
std::int64_t ReadLong(const std::wstring& part) {
  std::size_t i = 0;
  while (i < part.size() && IsBlank(part[i])) ++i;
  bool negative = false;
  if (i < part.size() && (part[i] == L'+' || part[i] == L'-')) negative = part[i++] == L'-';
  const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT32_MIN) : INT32_MAX;
  std::int64_t value = 0;
  for (; i < part.size() && part[i] >= L'0' && part[i] <= L'9'; ++i) {
    value = value * 10 + (part[i] - L'0');
    if (value > limit) value = limit;
  }
  return negative ? -value : value;
}

int Saturate(std::int64_t value) {
  if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

}  // namespace

int CompareVersionStrings(const std::wstring& a, const std::wstring& b) {
  TAMBER_LOG(Info, L"CompareVersionStrings", L"Comparing version strings '%s' to '%s'.", a, b);
  const std::vector<std::wstring> left = SplitVersionParts(a);
  const std::vector<std::wstring> right = SplitVersionParts(b);
  for (std::size_t i = 0; i < left.size() && i < right.size(); ++i) {
    const std::int64_t x = ReadLong(left[i]);
    const std::int64_t y = ReadLong(right[i]);
    if (x != y) return Saturate(x - y);
  }
  return 0;
}

}  // namespace setup
