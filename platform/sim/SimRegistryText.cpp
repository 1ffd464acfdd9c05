// registry.txt, UTF-8, one line per value:
//
//   KEY <TAB> NAME <TAB> TYPE <TAB> DATA
//
// KEY is the full key path from its root (HKEY_CURRENT_USER\Software\Tamber4; HKCU, HKLM,
// HKCR and HKU are read too); NAME is the value name, empty for the key's default value.
// TYPE and DATA:
//   REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ   the text without its final terminator (the
//                                         strings of a REG_MULTI_SZ end in "^0" each)
//   REG_DWORD, REG_QWORD                  a decimal number (0x... is read too)
//   REG_BINARY, REG_NONE                  bytes in hex, comma separated: 01,ff,00
//   hex(N)                                any type number N with its bytes in hex, for data
//                                         that has no text form (a string without
//                                         terminator, a DWORD that is not 4 bytes)
// A line holding only KEY names a key without values; "KEY <TAB> [read-only]" marks a key
// and its subtree read-only (writes are refused with access denied). Fields are escaped:
// "^^" caret, "^t" TAB, "^r" CR, "^n" LF, "^0" NUL, "^uXXXX" any UTF-16 unit. Empty lines
// and lines starting with "#" are ignored.
#include "platform/sim/SimRegistryText.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/sim/SimText.h"

namespace platform::sim {
namespace {

constexpr const char* kReadOnlyMark = "[read-only]";

const char kHeader[] =
    "# Registry of a tamber4sim machine, one value per line:\n"
    "#   KEY<TAB>NAME<TAB>TYPE<TAB>DATA   (NAME empty for the default value)\n"
    "#   TYPE: REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ (text), REG_DWORD, REG_QWORD (decimal),\n"
    "#         REG_BINARY, REG_NONE, hex(N) (bytes: 01,ff)\n"
    "#   KEY alone: a key without values; KEY<TAB>[read-only]: writes below it are refused.\n"
    "#   Escapes: ^^ ^t ^r ^n ^0 ^uXXXX\n";

struct TypeName {
  std::uint32_t type;
  const char* name;
};
const TypeName kTypeNames[] = {
    {reg::None, "REG_NONE"},        {reg::Sz, "REG_SZ"},       {reg::ExpandSz, "REG_EXPAND_SZ"},
    {reg::Binary, "REG_BINARY"},    {reg::Dword, "REG_DWORD"}, {reg::MultiSz, "REG_MULTI_SZ"},
    {reg::Qword, "REG_QWORD"},
};

bool IsTextType(std::uint32_t type) {
  return type == reg::Sz || type == reg::ExpandSz || type == reg::MultiSz;
}

std::string HexBytes(const std::vector<std::uint8_t>& data) {
  std::string out;
  char buffer[4];
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::snprintf(buffer, sizeof buffer, i == 0 ? "%02x" : ",%02x", data[i]);
    out += buffer;
  }
  return out;
}

bool ParseHexBytes(const std::string& text, std::vector<std::uint8_t>* data) {
  data->clear();
  if (text.empty()) return true;
  std::size_t i = 0;
  while (i <= text.size()) {
    const std::size_t comma = std::min(text.find(',', i), text.size());
    const std::string item = text.substr(i, comma - i);
    char* end = nullptr;
    const unsigned long byte = std::strtoul(item.c_str(), &end, 16);
    if (item.empty() || item.size() > 2 || *end != '\0' || byte > 0xFF) return false;
    data->push_back(static_cast<std::uint8_t>(byte));
    i = comma + 1;
  }
  return true;
}

bool ParseNumber(const std::string& text, std::uint64_t maximum, std::uint64_t* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  *value = std::strtoull(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
  return *end == '\0' && text[0] != '-' && *value <= maximum;
}

std::uint64_t LittleEndian(const std::vector<std::uint8_t>& data) {
  std::uint64_t value = 0;
  for (std::size_t i = data.size(); i-- > 0;) value = (value << 8) | data[i];
  return value;
}

std::vector<std::uint8_t> LittleEndianBytes(std::uint64_t value, std::size_t size) {
  std::vector<std::uint8_t> data(size);
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<std::uint8_t>(value >> (8 * i));
  return data;
}

// TYPE and DATA fields of a value.
std::pair<std::string, std::string> FormatValue(const SimRegistry::Value& value) {
  const auto& d = value.data;
  if (IsTextType(value.type) && d.size() >= 2 && d.size() % 2 == 0 && d[d.size() - 1] == 0 &&
      d[d.size() - 2] == 0) {
    std::wstring text;
    for (std::size_t i = 0; i + 2 < d.size(); i += 2) text.push_back(static_cast<wchar_t>(d[i] | (d[i + 1] << 8)));
    return {value.type == reg::Sz ? "REG_SZ" : value.type == reg::ExpandSz ? "REG_EXPAND_SZ" : "REG_MULTI_SZ",
            EscapeField(text)};
  }
  if (value.type == reg::Dword && d.size() == 4) return {"REG_DWORD", std::to_string(LittleEndian(d))};
  if (value.type == reg::Qword && d.size() == 8) return {"REG_QWORD", std::to_string(LittleEndian(d))};
  if (value.type == reg::Binary) return {"REG_BINARY", HexBytes(d)};
  if (value.type == reg::None) return {"REG_NONE", HexBytes(d)};
  return {"hex(" + std::to_string(value.type) + ")", HexBytes(d)};
}

// Reads TYPE and DATA fields into a value; an error text when they do not fit.
std::string ParseValue(const std::string& type, const std::string& data, SimRegistry::Value* value) {
  std::uint64_t number = 0;
  for (const TypeName& entry : kTypeNames) {
    if (type != entry.name) continue;
    value->type = entry.type;
    if (IsTextType(entry.type)) {
      std::wstring text;
      if (!UnescapeField(data, &text)) return "bad escape in data";
      value->data = StringBytes(text);
      return {};
    }
    if (entry.type == reg::Dword || entry.type == reg::Qword) {
      const std::size_t size = entry.type == reg::Dword ? 4 : 8;
      if (!ParseNumber(data, size == 4 ? 0xFFFFFFFFull : ~0ull, &number)) return "bad number '" + data + "'";
      value->data = LittleEndianBytes(number, size);
      return {};
    }
    return ParseHexBytes(data, &value->data) ? std::string() : "bad bytes '" + data + "'";
  }
  if (type.size() > 5 && type.rfind("hex(", 0) == 0 && type.back() == ')' &&
      ParseNumber(type.substr(4, type.size() - 5), 0xFFFFFFFFull, &number)) {
    value->type = static_cast<std::uint32_t>(number);
    return ParseHexBytes(data, &value->data) ? std::string() : "bad bytes '" + data + "'";
  }
  return "unknown type '" + type + "'";
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

std::string KeyField(RegKey root, const std::wstring& path) {
  std::wstring full = SimRegistry::RootName(root);
  if (!path.empty()) full += L"\\" + path;
  return EscapeField(full);
}

// Splits "HKEY_...\path" into root and path; false for an unknown root.
bool ParseKeyField(const std::string& field, RegKey* root, std::wstring* path) {
  std::wstring full;
  if (!UnescapeField(field, &full)) return false;
  const std::size_t slash = full.find(L'\\');
  const auto found = SimRegistry::RootFromName(full.substr(0, slash));
  if (!found) return false;
  *root = *found;
  *path = slash == std::wstring::npos ? std::wstring() : full.substr(slash + 1);
  return true;
}

// Applies one line; an error text when it cannot be read.
std::string ApplyLine(const std::string& line, SimRegistry* registry) {
  const std::vector<std::string> fields = SplitTabs(line);
  RegKey root = 0;
  std::wstring path;
  if (!ParseKeyField(fields[0], &root, &path)) return "unknown root key in '" + fields[0] + "'";
  if (fields.size() == 1) {
    registry->MakeKey(root, path);
    return {};
  }
  if (fields.size() == 2 && fields[1] == kReadOnlyMark) {
    registry->SetReadOnly(root, path, true);
    return {};
  }
  if (fields.size() != 4) return "expected KEY, NAME, TYPE and DATA separated by tabs";
  SimRegistry::Value value;
  if (!UnescapeField(fields[1], &value.name)) return "bad escape in value name";
  const std::string problem = ParseValue(fields[2], fields[3], &value);
  if (!problem.empty()) return problem;
  registry->Put(root, path, value.name, value.type, value.data);
  return {};
}

}  // namespace

std::string EscapeField(std::wstring_view text) {
  std::wstring plain;
  std::string out;
  const auto flush = [&] {
    out += WideToUtf8(plain);
    plain.clear();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::uint32_t c = static_cast<std::uint32_t>(text[i]) & 0xFFFF;
    const bool high = c >= 0xD800 && c <= 0xDBFF;
    const bool paired = high && i + 1 < text.size() && (text[i + 1] & 0xFC00) == 0xDC00;
    if (paired) {
      plain.push_back(text[i]);
      plain.push_back(text[++i]);
      continue;
    }
    const char* named = c == L'^' ? "^^" : c == L'\t' ? "^t" : c == L'\r' ? "^r" : c == L'\n' ? "^n" : c == 0 ? "^0" : nullptr;
    if (named == nullptr && c >= 0x20 && c != 0x7F && !(c >= 0xD800 && c <= 0xDFFF)) {
      plain.push_back(static_cast<wchar_t>(c));
      continue;
    }
    flush();
    if (named != nullptr) {
      out += named;
      continue;
    }
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "^u%04X", static_cast<unsigned>(c));
    out += buffer;
  }
  flush();
  return out;
}

bool UnescapeField(std::string_view field, std::wstring* text) {
  text->clear();
  std::size_t start = 0;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '^') continue;
    *text += Utf8ToWide(field.substr(start, i - start));
    if (i + 1 >= field.size()) return false;
    const char code = field[++i];
    if (code == 'u') {
      if (i + 4 >= field.size()) return false;
      const std::string hex(field.substr(i + 1, 4));
      char* end = nullptr;
      const unsigned long unit = std::strtoul(hex.c_str(), &end, 16);
      if (*end != '\0') return false;
      text->push_back(static_cast<wchar_t>(unit));
      i += 4;
    } else {
      const wchar_t named = code == '^' ? L'^' : code == 't' ? L'\t' : code == 'r' ? L'\r'
                            : code == 'n' ? L'\n' : code == '0' ? L'\0' : L'?';
      if (named == L'?') return false;
      text->push_back(named);
    }
    start = i + 1;
  }
  *text += Utf8ToWide(field.substr(start));
  return true;
}

std::string RegistryToText(const SimRegistry& registry) {
  std::string out = kHeader;
  registry.Visit([&](RegKey root, const std::wstring& path, const SimRegistry::Key& key) {
    const std::string keyField = KeyField(root, path);
    if (key.readOnly && !path.empty()) out += keyField + "\t" + kReadOnlyMark + "\n";
    if (key.values.empty() && key.subKeys.empty() && !path.empty() && !key.readOnly)
      out += keyField + "\n";
    for (const auto& [upper, value] : key.values) {
      const auto [type, data] = FormatValue(value);
      out += keyField + "\t" + EscapeField(value.name) + "\t" + type + "\t" + data + "\n";
    }
  });
  return out;
}

bool RegistryFromText(std::string_view text, SimRegistry* registry, std::string* error) {
  std::size_t lineNumber = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(start, end - start));
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::string problem = ApplyLine(line, registry);
    if (problem.empty()) continue;
    *error = "line " + std::to_string(lineNumber) + ": " + problem;
    return false;
  }
  return true;
}

}  // namespace platform::sim
