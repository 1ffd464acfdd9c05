// The script being interpreted: its line texts in file order, and the current line.
#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "setup/engine/CommandLines.h"

namespace setup {

// Line indices walked from the nearest down to the first.
struct EarlierLines {
  std::vector<int>::const_reverse_iterator first, last;
  std::vector<int>::const_reverse_iterator begin() const { return first; }
  std::vector<int>::const_reverse_iterator end() const { return last; }
};

struct Script {
  std::vector<std::wstring> lines;
  int currentLine = 0;
  // Indices of the lines rewritten through Set since the run's journal last took them.
  std::vector<int> changed;
  // Where each command's lines are, for commands that look back at earlier lines.
  CommandLines commandLines;

  // The indices of the lines of `command`, ascending.
  const std::vector<int>& LinesOf(const std::wstring& command) { return commandLines.Of(lines, command); }
  // The lines of `command` before line `before`, the nearest first. Valid until the script
  // grows or is replaced.
  EarlierLines EarlierLinesOf(const std::wstring& command, int before) {
    const std::vector<int>& all = LinesOf(command);
    return {std::make_reverse_iterator(std::lower_bound(all.begin(), all.end(), before)), all.rend()};
  }

  // Takes `read` as the script, from its first line, with nothing rewritten yet.
  void Load(std::vector<std::wstring> read) {
    lines = std::move(read);
    currentLine = 0;
    changed.clear();
    commandLines.Clear();
  }

  // Rewrites line `index`, noting it for the journal when its text changes. The text is
  // copied into the line's own room, which reading left for a result.
  void Set(int index, std::wstring_view text) {
    std::wstring& line = lines[static_cast<std::size_t>(index)];
    if (line == text) return;
    line.assign(text);
    changed.push_back(index);
  }
};

}  // namespace setup
