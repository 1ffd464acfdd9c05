// Texts on the helpers' command lines and in their output, escaped to plain ASCII so that
// they survive every code page between the test (Python) and the helper (Windows):
// "\uXXXX" (exactly four hex digits) is one UTF-16 code unit and "\\" is one backslash;
// every other character stands for itself.
#pragma once

#include <string>

// Decodes an escaped argument into `text`. False on a malformed escape.
bool DecodeEscapes(const std::wstring& escaped, std::wstring* text);

// Escapes `text`: printable ASCII except the backslash stays; everything else is "\uXXXX".
std::string EncodeEscapes(const std::wstring& text);
