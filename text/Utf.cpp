#include "text/Utf.h"

#include <cstdint>

namespace text {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Appends the UTF-8 form of `c` (up to U+10FFFF; surrogate values encode like any other).
void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Appends `c` as one or two UTF-16 code units.
void AppendUtf16(std::wstring& out, char32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<wchar_t>(c));
    return;
  }
  c -= 0x10000;
  out.push_back(static_cast<wchar_t>(0xD800 | (c >> 10)));
  out.push_back(static_cast<wchar_t>(0xDC00 | (c & 0x3FF)));
}

// The bounds of the second byte of a sequence led by `lead`, which exclude overlong forms,
// encoded surrogates and values above U+10FFFF; every later byte is 0x80-0xBF.
void SecondByteRange(unsigned lead, unsigned* low, unsigned* high) {
  *low = 0x80;
  *high = 0xBF;
  if (lead == 0xE0) *low = 0xA0;
  if (lead == 0xED) *high = 0x9F;
  if (lead == 0xF0) *low = 0x90;
  if (lead == 0xF4) *high = 0x8F;
}

// Decodes one character at `*pos`, moving past it. Ill-formed input yields U+FFFD and moves
// past its maximal subpart (at least one byte).
char32_t DecodeUtf8(std::string_view s, std::size_t* pos) {
  unsigned lead = static_cast<unsigned char>(s[(*pos)++]);
  if (lead < 0x80) return lead;
  int trail = lead >= 0xC2 && lead <= 0xDF ? 1 : lead >= 0xE0 && lead <= 0xEF ? 2
              : lead >= 0xF0 && lead <= 0xF4 ? 3 : 0;
  if (trail == 0) return kReplacement;
  char32_t c = lead & (0x3F >> trail);
  unsigned low, high;
  SecondByteRange(lead, &low, &high);
  for (int i = 0; i < trail; ++i) {
    if (*pos >= s.size()) return kReplacement;
    unsigned b = static_cast<unsigned char>(s[*pos]);
    if (b < low || b > high) return kReplacement;
    c = (c << 6) | (b & 0x3F);
    ++*pos;
    low = 0x80;
    high = 0xBF;
  }
  return c;
}

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; }

}  // namespace

std::string WideToUtf8(std::wstring_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char32_t u = static_cast<char32_t>(wide[i]);
    if (IsHighSurrogate(u) && i + 1 < wide.size() && IsLowSurrogate(static_cast<char32_t>(wide[i + 1]))) {
      char32_t low = static_cast<char32_t>(wide[++i]);
      u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
    } else if (u > 0x10FFFF) {
      u = kReplacement;
    }
    AppendUtf8(out, u);
  }
  return out;
}

std::wstring Utf8ToWide(std::string_view utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) AppendUtf16(out, DecodeUtf8(utf8, &pos));
  return out;
}

std::wstring Utf16LeToWide(std::string_view bytes) {
  std::wstring out;
  Utf16LeToWide(bytes, out);
  return out;
}

void Utf16LeToWide(std::string_view bytes, std::wstring& out) {
  out.resize(bytes.size() / 2);
  for (std::size_t i = 0; i < out.size(); ++i) {
    unsigned lowByte = static_cast<unsigned char>(bytes[2 * i]);
    unsigned highByte = static_cast<unsigned char>(bytes[2 * i + 1]);
    out[i] = static_cast<wchar_t>(lowByte | (highByte << 8));
  }
}

std::string WideToUtf16Le(std::wstring_view wide) {
  std::string out;
  AppendUtf16Le(out, wide);
  return out;
}

// Through a buffer on the stack, appended a piece at a time: growing `out` by resize would
// first fill it with zeros.
void AppendUtf16Le(std::string& out, std::wstring_view wide) {
  constexpr std::size_t kPiece = 256;
  char piece[kPiece * 2];
  while (!wide.empty()) {
    const std::size_t count = wide.size() < kPiece ? wide.size() : kPiece;
    for (std::size_t i = 0; i < count; ++i) {
      const auto unit = static_cast<std::uint32_t>(wide[i]);
      piece[2 * i] = static_cast<char>(unit & 0xFF);
      piece[2 * i + 1] = static_cast<char>((unit >> 8) & 0xFF);
    }
    out.append(piece, count * 2);
    wide.remove_prefix(count);
  }
}

int CompareIgnoreAsciiCase(std::wstring_view a, std::wstring_view b) {
  std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    auto x = static_cast<std::uint32_t>(FoldAscii(a[i]));
    auto y = static_cast<std::uint32_t>(FoldAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool EqualsIgnoreAsciiCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() && CompareIgnoreAsciiCase(a, b) == 0;
}

}  // namespace text
