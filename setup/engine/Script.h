// The script being interpreted: its line texts in file order, and the current line.
#pragma once

#include <string>
#include <vector>

namespace setup {

struct Script {
  std::vector<std::wstring> lines;
  int currentLine = 0;
};

}  // namespace setup
