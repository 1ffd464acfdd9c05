#include "platform/Com.h"

namespace platform {

bool Guid::IsZero() const {
  if (data1 != 0 || data2 != 0 || data3 != 0) return false;
  for (auto b : data4)
    if (b != 0) return false;
  return true;
}

bool Guid::operator==(const Guid& other) const {
  return data1 == other.data1 && data2 == other.data2 && data3 == other.data3 &&
         data4 == other.data4;
}

namespace {

// Appends the `count` low hex digits of `value`, upper case, most significant first.
void AppendHex(std::wstring& text, std::uint32_t value, int count) {
  for (int shift = (count - 1) * 4; shift >= 0; shift -= 4)
    text.push_back(L"0123456789ABCDEF"[(value >> shift) & 0xF]);
}

}  // namespace

// Written digit by digit: the C library's printf would be linked into the executable for this
// one text.
std::wstring GuidToString(const Guid& g) {
  std::wstring text;
  text.reserve(38);
  text.push_back(L'{');
  AppendHex(text, g.data1, 8);
  text.push_back(L'-');
  AppendHex(text, g.data2, 4);
  text.push_back(L'-');
  AppendHex(text, g.data3, 4);
  text.push_back(L'-');
  for (std::size_t i = 0; i < 8; ++i) {
    if (i == 2) text.push_back(L'-');
    AppendHex(text, g.data4[i], 2);
  }
  text.push_back(L'}');
  return text;
}

namespace {

// The value of `count` hex digits at `text[at]`; false when one is not a hex digit.
bool HexField(const std::wstring& text, std::size_t at, std::size_t count, std::uint32_t* value) {
  *value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    const wchar_t c = text[i];
    std::uint32_t digit = 0;
    if (c >= L'0' && c <= L'9') digit = static_cast<std::uint32_t>(c - L'0');
    else if (c >= L'a' && c <= L'f') digit = static_cast<std::uint32_t>(c - L'a' + 10);
    else if (c >= L'A' && c <= L'F') digit = static_cast<std::uint32_t>(c - L'A' + 10);
    else return false;
    *value = *value * 16 + digit;
  }
  return true;
}

}  // namespace

bool GuidFromString(const std::wstring& text, Guid* guid) {
  *guid = Guid();
  if (text.size() != 38 || text[0] != L'{' || text[37] != L'}' || text[9] != L'-' ||
      text[14] != L'-' || text[19] != L'-' || text[24] != L'-')
    return false;
  Guid parsed;
  std::uint32_t value = 0;
  if (!HexField(text, 1, 8, &parsed.data1)) return false;
  if (!HexField(text, 10, 4, &value)) return false;
  parsed.data2 = static_cast<std::uint16_t>(value);
  if (!HexField(text, 15, 4, &value)) return false;
  parsed.data3 = static_cast<std::uint16_t>(value);
  const std::size_t starts[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (std::size_t i = 0; i < 8; ++i) {
    if (!HexField(text, starts[i], 2, &value)) return false;
    parsed.data4[i] = static_cast<std::uint8_t>(value);
  }
  *guid = parsed;
  return true;
}

}  // namespace platform
