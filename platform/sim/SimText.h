// Text helpers of the simulated machine: the conversions at its edges (host paths and
// machine files in UTF-8, ANSI text as Windows-1252) and Windows' case rules for names.
#pragma once

#include <string>
#include <string_view>

#include "text/Utf.h"

namespace platform::sim {

// UTF-16 code units to UTF-8, as the log writes them: a surrogate pair becomes one four-byte
// sequence; an unpaired surrogate is encoded by itself as three bytes, so no text is lost.
using text::WideToUtf8;

// UTF-8 to UTF-16 code units (code points above U+FFFF become surrogate pairs). A byte that
// starts no valid sequence is taken as the Windows-1252 character of that byte.
std::wstring Utf8ToWide(std::string_view text);

// MultiByteToWideChar with code page 1252: 0x80..0x9F through the Windows-1252 table (the
// five unassigned bytes map to the control character of the same value), the rest as Latin-1.
std::wstring Windows1252ToWide(std::string_view text);

// The upper-case form of one UTF-16 code unit by the system's rules (ASCII, Latin-1,
// Latin Extended-A, Greek and Cyrillic letters); other units are returned unchanged.
wchar_t UpperChar(wchar_t c);
std::wstring UpperCase(std::wstring_view text);

// Case-insensitive equality as the file system and the registry compare names.
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);

}  // namespace platform::sim
