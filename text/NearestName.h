// The name a misspelt one most likely meant, for error messages that suggest a fix.
#pragma once

#include <string>
#include <vector>

namespace text {

// The number of single-character insertions, deletions and substitutions between two texts.
std::size_t EditDistance(const std::wstring& a, const std::wstring& b);

// The first of `names` nearest to `wrong` within `maximumEdits`; empty when none is.
std::wstring NearestName(const std::wstring& wrong, const std::vector<std::wstring>& names,
                         std::size_t maximumEdits = 3);

}  // namespace text
