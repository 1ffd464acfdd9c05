#include "platform/RegistryKey.h"

#include <utility>
#include <vector>

#include "platform/Machine.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"

namespace platform {
namespace {

// Registry strings are UTF-16LE; the stored size may or may not include the terminator,
// and a value written by another program may hold text after an embedded null.
std::wstring DecodeRegistryString(const std::vector<std::uint8_t>& data) {
  std::wstring text;
  text.reserve(data.size() / 2);
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    wchar_t unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}

std::vector<std::uint8_t> EncodeRegistryString(const std::wstring& text) {
  std::vector<std::uint8_t> data;
  data.reserve((text.size() + 1) * 2);
  for (wchar_t c : text) {
    data.push_back(static_cast<std::uint8_t>(c & 0xFF));
    data.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
  }
  data.push_back(0);
  data.push_back(0);
  return data;
}

bool IsStringType(std::uint32_t type) { return type == reg::Sz || type == reg::ExpandSz; }

}  // namespace

void RegKeyTraits::Close(RegKey key) { registry().CloseKey(key); }

Win32Error ScopedRegKey::Open(RegKey parent, const std::wstring& subKey, std::uint32_t access) {
  Close();
  RegKey key = 0;
  Win32Error error = registry().OpenKey(parent, subKey, access, &key);
  if (error == err::Success) key_.Reset(key);
  return error;
}

Win32Error ScopedRegKey::Create(RegKey parent, const std::wstring& subKey,
                                std::uint32_t access, bool* created) {
  Close();
  RegKey key = 0;
  Win32Error error = registry().CreateKey(parent, subKey, access, &key, created);
  if (error == err::Success) key_.Reset(key);
  return error;
}

RegistryDword QueryDwordValue(RegKey key, const std::wstring& name) {
  RegistryDword result;
  if (key == 0) return result;
  std::uint32_t type = reg::None;
  std::vector<std::uint8_t> data;
  if (registry().QueryValue(key, name, &type, &data, 4) != err::Success) return result;
  if (type != reg::Dword || data.size() != 4) return result;
  result.present = true;
  result.value = static_cast<std::uint32_t>(data[0]) | (static_cast<std::uint32_t>(data[1]) << 8) |
                 (static_cast<std::uint32_t>(data[2]) << 16) |
                 (static_cast<std::uint32_t>(data[3]) << 24);
  return result;
}

Win32Error QueryStringValue(RegKey key, const std::wstring& name, std::uint32_t maxBytes,
                            std::wstring* text, std::uint32_t* type) {
  text->clear();
  if (key == 0) return err::InvalidHandle;
  std::uint32_t valueType = reg::None;
  std::vector<std::uint8_t> data;
  Win32Error error = registry().QueryValue(key, name, &valueType, &data, maxBytes);
  if (type != nullptr) *type = valueType;
  if (error != err::Success) return error;
  if (IsStringType(valueType)) *text = DecodeRegistryString(data);
  return err::Success;
}

Win32Error QueryExpandedStringValue(RegKey key, const std::wstring& name,
                                    std::uint32_t maxBytes, std::wstring* text,
                                    std::uint32_t* type) {
  std::uint32_t valueType = reg::None;
  Win32Error error = QueryStringValue(key, name, maxBytes, text, &valueType);
  if (type != nullptr) *type = valueType;
  if (error == err::Success && valueType == reg::ExpandSz)
    *text = system().ExpandEnvironment(*text);
  return error;
}

Win32Error SetDwordValue(RegKey key, const std::wstring& name, std::uint32_t value) {
  std::vector<std::uint8_t> data{
      static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>((value >> 8) & 0xFF),
      static_cast<std::uint8_t>((value >> 16) & 0xFF),
      static_cast<std::uint8_t>((value >> 24) & 0xFF)};
  return registry().SetValue(key, name, reg::Dword, data);
}

Win32Error SetStringValue(RegKey key, const std::wstring& name, const std::wstring& text,
                          std::uint32_t type) {
  return registry().SetValue(key, name, type, EncodeRegistryString(text));
}

}  // namespace platform
