// Comparison of dotted version texts such as "4.2.0.15", shared by the product checks and the
// registry checks.
#pragma once

#include <string>

namespace setup {

// Compares the dot-separated parts of `a` and `b` as decimal numbers, left to right, over the
// parts both texts have; returns the first difference (a's part minus b's part), 0 when all
// compared parts are equal. Empty parts (leading, trailing or doubled dots) do not count; a
// part reads like strtol in base 10 (leading blanks and a sign accepted, 0 without digits,
// clamped to the 32-bit range). The difference saturates at the 32-bit limits rather than
// wrapping, so its sign is always right.
int CompareVersionStrings(const std::wstring& a, const std::wstring& b);

}  // namespace setup
