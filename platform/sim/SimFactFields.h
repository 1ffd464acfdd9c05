// The fields of a machine.txt value that holds several ("A|B|C"), shared by the fact readers
// of the services (SimInstallerFacts, SimSecurityFacts).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::sim {

// The text between the bars of `text` (one field when it has none).
std::vector<std::wstring> FactFields(const std::wstring& text, wchar_t separator = L'|');

// A decimal or 0x-hexadecimal number of at most 32 bits; false for anything else.
bool ParseFactCode(const std::wstring& text, std::uint32_t* code);

// "0x0000ABCD" when `hex`, else the decimal number.
std::wstring FactCode(std::uint32_t code, bool hex);

// One machine.txt line: "key = value" with the value escaped.
std::string FactLine(const std::string& key, const std::wstring& value);

}  // namespace platform::sim
