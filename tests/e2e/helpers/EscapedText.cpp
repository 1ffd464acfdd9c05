#include "EscapedText.h"

#include <cstdio>

namespace {

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// Reads the four hex digits at `pos`; -1 when they are not all there.
long ReadUnit(const std::wstring& escaped, std::size_t pos) {
  if (pos + 4 > escaped.size()) return -1;
  long unit = 0;
  for (std::size_t i = pos; i < pos + 4; ++i) {
    int digit = HexValue(escaped[i]);
    if (digit < 0) return -1;
    unit = unit * 16 + digit;
  }
  return unit;
}

}  // namespace

bool DecodeEscapes(const std::wstring& escaped, std::wstring* text) {
  text->clear();
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] != L'\\') {
      text->push_back(escaped[i]);
      continue;
    }
    if (i + 1 < escaped.size() && escaped[i + 1] == L'\\') {
      text->push_back(L'\\');
      ++i;
      continue;
    }
    if (i + 1 >= escaped.size() || escaped[i + 1] != L'u') return false;
    long unit = ReadUnit(escaped, i + 2);
    if (unit < 0) return false;
    text->push_back(static_cast<wchar_t>(unit));
    i += 5;
  }
  return true;
}

std::string EncodeEscapes(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    if (c == L'\\') {
      out += "\\\\";
    } else if (c >= 0x20 && c < 0x7F) {
      out.push_back(static_cast<char>(c));
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(c) & 0xFFFFu);
      out += buffer;
    }
  }
  return out;
}
