#include "platform/sim/SimText.h"

#include <cstdint>

namespace platform::sim {
namespace {

void AppendUtf16(std::uint32_t code, std::wstring* out) {
  if (code < 0x10000) {
    out->push_back(static_cast<wchar_t>(code));
    return;
  }
  code -= 0x10000;
  out->push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
  out->push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
}

// Decodes one UTF-8 sequence at text[i]; returns its length, or 0 when it is not valid.
// Encoded surrogates are accepted so that unpaired ones written by WideToUtf8 come back.
std::size_t DecodeUtf8(std::string_view text, std::size_t i, std::uint32_t* code) {
  const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
  std::uint8_t lead = byte(i);
  std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                                       : (lead >> 3) == 0x1E ? 4 : 0;
  if (length == 0 || i + length > text.size()) return 0;
  std::uint32_t value = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte(i + k) & 0x3F);
  }
  static const std::uint32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kMinimum[length] || value > 0x10FFFF) return 0;
  *code = value;
  return length;
}

// Windows-1252 characters for the bytes 0x80..0x9F.
const wchar_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

wchar_t Cp1252Char(std::uint8_t b) {
  return b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : static_cast<wchar_t>(b);
}

}  // namespace

std::wstring Utf8ToWide(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::uint32_t code = 0;
    std::size_t length = DecodeUtf8(text, i, &code);
    if (length == 0) {
      out.push_back(Cp1252Char(static_cast<std::uint8_t>(text[i++])));
      continue;
    }
    AppendUtf16(code, &out);
    i += length;
  }
  return out;
}

std::wstring Windows1252ToWide(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (char c : text) out.push_back(Cp1252Char(static_cast<std::uint8_t>(c)));
  return out;
}

wchar_t UpperChar(wchar_t c) {
  const std::uint32_t u = static_cast<std::uint32_t>(c);
  if (u >= 'a' && u <= 'z') return static_cast<wchar_t>(u - 0x20);
  if (u < 0xB5) return c;
  if (u == 0xB5) return static_cast<wchar_t>(0x39C);
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<wchar_t>(u - 0x20);
  if (u == 0xFF) return static_cast<wchar_t>(0x178);
  // Latin Extended-A pairs: even upper, odd lower, except the stretch 0x139..0x148 and
  // 0x179..0x17E where the pairs start on an odd code point; 0x131 and 0x138 have none.
  if ((u >= 0x100 && u <= 0x137 && u != 0x131) || (u >= 0x14A && u <= 0x177))
    return static_cast<wchar_t>(u & ~1u);
  if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E))
    return static_cast<wchar_t>((u % 2 == 0) ? u - 1 : u);
  if (u == 0x17F) return L'S';
  if (u >= 0x3B1 && u <= 0x3C9 && u != 0x3C2) return static_cast<wchar_t>(u - 0x20);
  if (u == 0x3C2) return static_cast<wchar_t>(0x3A3);
  if (u >= 0x430 && u <= 0x44F) return static_cast<wchar_t>(u - 0x20);
  if (u >= 0x450 && u <= 0x45F) return static_cast<wchar_t>(u - 0x50);
  return c;
}

std::wstring UpperCase(std::wstring_view text) {
  std::wstring out(text);
  for (wchar_t& c : out) c = UpperChar(c);
  return out;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  return true;
}

}  // namespace platform::sim
