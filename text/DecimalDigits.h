// The exact decimal digits of a double, and rounding them, so that floating conversions come
// out the same on every target without the C library's printf or std::to_chars (whose tables
// would more than double the size of the executable).
#pragma once

#include <string>

namespace text {

// value = 0.DIGITS x 10^point, DIGITS without trailing zeros ("0" with point 1 for zero).
struct DecimalDigits {
  std::string digits = "0";
  int point = 1;
};

// The exact expansion of |value| (finite).
DecimalDigits ExactDecimal(double value);

// Rounds to the first `count` digits (count may be 0 or negative: places before the first
// digit), half to even on the exact value, as printf does.
DecimalDigits RoundDigits(DecimalDigits number, int count);

// printf's %.<precision>f and %.<precision>e of |value| (finite), without sign.
std::string FixedText(double value, int precision);
std::string ScientificText(double value, int precision);

}  // namespace text
