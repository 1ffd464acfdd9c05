#include "platform/sim/SimFactFields.h"

#include <cstdio>
#include <cstdlib>

#include "platform/sim/SimRegistryText.h"
#include "platform/sim/SimText.h"

namespace platform::sim {

std::vector<std::wstring> FactFields(const std::wstring& text, wchar_t separator) {
  std::vector<std::wstring> fields;
  std::size_t start = 0;
  for (std::size_t bar; (bar = text.find(separator, start)) != std::wstring::npos; start = bar + 1)
    fields.push_back(text.substr(start, bar - start));
  fields.push_back(text.substr(start));
  return fields;
}

bool ParseFactCode(const std::wstring& text, std::uint32_t* code) {
  if (text.empty() || text[0] == L'-') return false;
  const std::string narrow = WideToUtf8(text);
  char* end = nullptr;
  const unsigned long long value = std::strtoull(narrow.c_str(), &end, 0);
  if (*end != '\0' || value > 0xFFFFFFFFull) return false;
  *code = static_cast<std::uint32_t>(value);
  return true;
}

std::wstring FactCode(std::uint32_t code, bool hex) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, hex ? "0x%08X" : "%u", code);
  return Utf8ToWide(buffer);
}

std::string FactLine(const std::string& key, const std::wstring& value) {
  return key + " = " + EscapeField(value) + "\n";
}

}  // namespace platform::sim
