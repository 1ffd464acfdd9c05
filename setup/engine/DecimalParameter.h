// Numbers written in script parameters: decimal, read from their leading digits.
#pragma once

#include <cstdint>
#include <string>

namespace setup {

// A numeric parameter's value: optional leading blanks and sign, then the leading decimal
// digits; 0 when there are none. Values past the 32-bit signed range are limited to it.
std::int32_t ParseDecimalParameter(const std::wstring& value);

}  // namespace setup
