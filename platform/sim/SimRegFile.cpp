#include "platform/sim/SimRegFile.h"

#include <cstdio>
#include <sstream>
#include <vector>

#include "platform/sim/SimText.h"
#include "text/Utf.h"

namespace platform::sim {
namespace {

const wchar_t kHeader[] = L"Windows Registry Editor Version 5.00";

// The file's text: UTF-16LE after its byte-order mark, else UTF-8.
std::wstring Decode(const std::string& bytes) {
  if (bytes.size() < 2 || bytes[0] != '\xFF' || bytes[1] != '\xFE') return Utf8ToWide(bytes);
  return text::Utf16LeToWide(std::string_view(bytes).substr(2));
}

// The file's logical lines with their first physical line's number: "\" at the end of a
// line joins the next one (leading blanks of the continuation dropped).
std::vector<std::pair<int, std::wstring>> LogicalLines(const std::wstring& text) {
  std::vector<std::pair<int, std::wstring>> lines;
  std::wstringstream stream(text);
  std::wstring line;
  bool continued = false;
  for (int number = 1; std::getline(stream, line); ++number) {
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    if (continued) {
      lines.back().second += line.substr(std::min(line.find_first_not_of(L" \t"), line.size()));
    } else {
      lines.emplace_back(number, line);
    }
    continued = !lines.back().second.empty() && lines.back().second.back() == L'\\';
    if (continued) lines.back().second.pop_back();
  }
  return lines;
}

// "ROOT\path" into its root and path.
bool SplitKey(const std::wstring& name, RegKey* root, std::wstring* path) {
  const std::size_t slash = name.find(L'\\');
  const auto found = SimRegistry::RootFromName(name.substr(0, slash));
  if (!found) return false;
  *root = *found;
  *path = slash == std::wstring::npos ? std::wstring() : name.substr(slash + 1);
  return true;
}

void RemoveKey(SimRegistry* registry, RegKey root, const std::wstring& path) {
  const std::size_t slash = path.rfind(L'\\');
  const std::wstring parent = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
  if (!registry->KeyExists(root, parent)) return;
  registry->MakeKey(root, parent).subKeys.erase(UpperCase(path.substr(slash + 1)));
}

// A quoted text at `at` ("\\" and "\"" inside); `at` ends after the closing quote.
bool ReadQuoted(const std::wstring& line, std::size_t* at, std::wstring* text) {
  if (*at >= line.size() || line[*at] != L'"') return false;
  for (std::size_t i = *at + 1; i < line.size(); ++i) {
    if (line[i] == L'"') {
      *at = i + 1;
      return true;
    }
    if (line[i] == L'\\' && i + 1 < line.size()) ++i;
    text->push_back(line[i]);
  }
  return false;
}

bool ReadHexBytes(const std::wstring& text, std::vector<std::uint8_t>* bytes) {
  std::wstringstream stream(text);
  std::wstring item;
  while (std::getline(stream, item, L',')) {
    const std::size_t first = item.find_first_not_of(L" \t");
    if (first == std::wstring::npos) continue;
    item = item.substr(first, item.find_last_not_of(L" \t") - first + 1);
    if (item.size() > 2 || item.find_first_not_of(L"0123456789abcdefABCDEF") != std::wstring::npos)
      return false;
    bytes->push_back(static_cast<std::uint8_t>(std::wcstoul(item.c_str(), nullptr, 16)));
  }
  return true;
}

// The data after "=": its type and bytes; false when it is malformed. `remove` for "-".
bool ReadData(const std::wstring& data, std::uint32_t* type, std::vector<std::uint8_t>* bytes,
              bool* remove) {
  *remove = data == L"-";
  if (*remove) return true;
  if (!data.empty() && data[0] == L'"') {
    std::size_t at = 0;
    std::wstring text;
    if (!ReadQuoted(data, &at, &text) || at != data.size()) return false;
    *type = reg::Sz;
    *bytes = StringBytes(text);
    return true;
  }
  if (data.rfind(L"dword:", 0) == 0) {
    const std::wstring digits = data.substr(6);
    if (digits.empty() || digits.size() > 8 ||
        digits.find_first_not_of(L"0123456789abcdefABCDEF") != std::wstring::npos)
      return false;
    const auto value = static_cast<std::uint32_t>(std::wcstoul(digits.c_str(), nullptr, 16));
    *type = reg::Dword;
    *bytes = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
              static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    return true;
  }
  std::size_t colon = 0;
  if (data.rfind(L"hex:", 0) == 0) {
    *type = reg::Binary;
    colon = 3;
  } else if (data.rfind(L"hex(", 0) == 0) {
    const std::size_t close = data.find(L"):");
    if (close == std::wstring::npos || close == 4) return false;
    const std::wstring number = data.substr(4, close - 4);
    if (number.find_first_not_of(L"0123456789abcdefABCDEF") != std::wstring::npos) return false;
    *type = static_cast<std::uint32_t>(std::wcstoul(number.c_str(), nullptr, 16));
    colon = close + 1;
  } else {
    return false;
  }
  return ReadHexBytes(data.substr(colon + 1), bytes);
}

// One line inside a key: "name"=data or @=data.
bool ReadValue(const std::wstring& line, SimRegistry* registry, RegKey root,
               const std::wstring& path, std::string* problem) {
  std::wstring name;
  std::size_t at = 0;
  if (line[0] == L'@') {
    at = 1;
  } else if (!ReadQuoted(line, &at, &name)) {
    *problem = "a value line starts with \"name\" or @";
    return false;
  }
  if (at >= line.size() || line[at] != L'=') {
    *problem = "'=' expected after the value's name";
    return false;
  }
  std::uint32_t type = 0;
  std::vector<std::uint8_t> bytes;
  bool remove = false;
  if (!ReadData(line.substr(at + 1), &type, &bytes, &remove)) {
    *problem = "the data is not \"text\", dword:XXXXXXXX, hex:.., hex(N):.. or -";
    return false;
  }
  if (remove) {
    if (registry->KeyExists(root, path))
      registry->MakeKey(root, path).values.erase(UpperCase(name));
    return true;
  }
  registry->Put(root, path, name, type, std::move(bytes));
  return true;
}

std::wstring QuotedText(const std::wstring& text) {
  std::wstring quoted = L"\"";
  for (wchar_t c : text) {
    if (c == L'\\' || c == L'"') quoted.push_back(L'\\');
    quoted.push_back(c);
  }
  return quoted + L"\"";
}

// A REG_SZ that is one clean string with its terminator, as "text" can hold it.
bool IsPlainString(const SimRegistry::Value& value, std::wstring* text) {
  const auto& d = value.data;
  if (value.type != reg::Sz || d.size() < 2 || d.size() % 2 != 0 || d[d.size() - 1] != 0 ||
      d[d.size() - 2] != 0)
    return false;
  for (std::size_t i = 0; i + 2 < d.size(); i += 2) {
    const wchar_t c = static_cast<wchar_t>(d[i] | (d[i + 1] << 8));
    if (c == 0 || c == L'\r' || c == L'\n') return false;
    text->push_back(c);
  }
  return true;
}

std::wstring DataText(const SimRegistry::Value& value) {
  std::wstring text;
  if (IsPlainString(value, &text)) return QuotedText(text);
  const auto& d = value.data;
  wchar_t buffer[32];
  if (value.type == reg::Dword && d.size() == 4) {
    std::swprintf(buffer, 32, L"dword:%08x", d[0] | (d[1] << 8) | (d[2] << 16) | (static_cast<unsigned>(d[3]) << 24));
    return buffer;
  }
  if (value.type == reg::Binary) {
    text = L"hex:";
  } else {
    std::swprintf(buffer, 32, L"hex(%x):", value.type);
    text = buffer;
  }
  for (std::size_t i = 0; i < d.size(); ++i) {
    std::swprintf(buffer, 32, i == 0 ? L"%02x" : L",%02x", d[i]);
    text += buffer;
  }
  return text;
}

}  // namespace

bool ImportRegFile(const std::string& bytes, SimRegistry* registry, std::string* error) {
  const std::vector<std::pair<int, std::wstring>> lines = LogicalLines(Decode(bytes));
  bool header = false;
  bool inKey = false;
  RegKey root = kHkeyCurrentUser;
  std::wstring path;
  for (const auto& [number, text] : lines) {
    const std::size_t first = text.find_first_not_of(L" \t");
    const std::wstring line = first == std::wstring::npos ? std::wstring() : text.substr(first);
    std::string problem;
    if (line.empty() || line[0] == L';') continue;
    if (!header) {
      header = line == kHeader || line == L"REGEDIT4";
      if (!header) problem = "the file does not start with \"Windows Registry Editor Version 5.00\"";
    } else if (line[0] == L'[') {
      const bool remove = line.size() > 1 && line[1] == L'-';
      const std::wstring name = line.substr(remove ? 2 : 1, line.size() - (remove ? 3 : 2));
      inKey = false;
      if (line.back() != L']' || !SplitKey(name, &root, &path))
        problem = "not a key of HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT, "
                  "HKEY_USERS or HKEY_CURRENT_CONFIG";
      else if (remove)
        RemoveKey(registry, root, path);
      else {
        registry->MakeKey(root, path);
        inKey = true;
      }
    } else if (!inKey) {
      problem = "a value outside a [key]";
    } else {
      ReadValue(line, registry, root, path, &problem);
    }
    if (problem.empty()) continue;
    *error = "line " + std::to_string(number) + ": " + problem;
    return false;
  }
  return true;
}

std::string ExportRegFile(const SimRegistry& registry) {
  std::wstring text = std::wstring(kHeader) + L"\r\n";
  registry.Visit([&](RegKey root, const std::wstring& path, const SimRegistry::Key& key) {
    text += L"\r\n[" + std::wstring(SimRegistry::RootName(root)) + (path.empty() ? L"" : L"\\" + path) + L"]\r\n";
    for (const auto& [upper, value] : key.values)
      text += (value.name.empty() ? L"@" : QuotedText(value.name)) + L"=" + DataText(value) + L"\r\n";
  });
  return "\xFF\xFE" + text::WideToUtf16Le(text);
}

}  // namespace platform::sim
