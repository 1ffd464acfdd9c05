// Conversions at the edges of the program: the script file (UTF-16LE bytes), the log file
// and the simulator's host paths (UTF-8). Inside, std::wstring holds UTF-16 code units on
// every target, one code unit per wchar_t.
#pragma once

#include <string>
#include <string_view>

namespace text {

// UTF-8 of UTF-16 code units. A surrogate pair becomes one 4-byte sequence; an unpaired
// surrogate is encoded by itself as 3 bytes, so no code unit is lost. A unit above U+FFFF
// (possible only where wchar_t is 32 bits) is encoded as that code point, or as U+FFFD when
// it is no code point at all.
std::string WideToUtf8(std::wstring_view wide);

// UTF-16 code units of UTF-8 bytes; code points above U+FFFF become surrogate pairs. Each
// maximal ill-formed subsequence (a stray continuation byte, a truncated sequence, an
// overlong form, an encoded surrogate, a value above U+10FFFF) becomes one U+FFFD.
std::wstring Utf8ToWide(std::string_view utf8);

// Code units of UTF-16LE bytes, two bytes each, low byte first; a trailing odd byte is
// ignored. No byte-order mark is recognised or removed here.
std::wstring Utf16LeToWide(std::string_view bytes);
// The same into `out`, whose storage is reused.
void Utf16LeToWide(std::string_view bytes, std::wstring& out);

// UTF-16LE bytes of code units (the low 16 bits of each wchar_t), without a byte-order mark.
std::string WideToUtf16Le(std::wstring_view wide);
// The same bytes appended to `out`: files built line by line need no whole wide copy first.
void AppendUtf16Le(std::string& out, std::wstring_view wide);

// Compares with 'A'-'Z' taken as 'a'-'z' and every other code unit as itself: negative, zero
// or positive as `a` sorts before, with or after `b`.
int CompareIgnoreAsciiCase(std::wstring_view a, std::wstring_view b);
bool EqualsIgnoreAsciiCase(std::wstring_view a, std::wstring_view b);

}  // namespace text
