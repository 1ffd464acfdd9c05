// The script being interpreted: its line texts in file order, and the current line.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace setup {

struct Script {
  std::vector<std::wstring> lines;
  int currentLine = 0;
  // Indices of the lines rewritten through Set since the run's journal last took them.
  std::vector<int> changed;

  // Rewrites line `index`, noting it for the journal when its text changes.
  void Set(int index, std::wstring text) {
    std::wstring& line = lines[static_cast<std::size_t>(index)];
    if (line == text) return;
    line = std::move(text);
    changed.push_back(index);
  }
};

}  // namespace setup
