#include "text/NearestName.h"

#include <algorithm>

namespace text {

std::size_t EditDistance(const std::wstring& a, const std::wstring& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1] ? 1 : 0)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::wstring NearestName(const std::wstring& wrong, const std::vector<std::wstring>& names,
                         std::size_t maximumEdits) {
  const std::wstring* best = nullptr;
  std::size_t bestDistance = maximumEdits + 1;
  for (const std::wstring& name : names) {
    const std::size_t distance = EditDistance(wrong, name);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = &name;
    }
  }
  return best == nullptr ? std::wstring() : *best;
}

}  // namespace text
