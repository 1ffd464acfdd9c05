// Where the lines of each command are in a script, for the commands that look back at
// earlier lines of a command (a download taking over an earlier one, the close of an
// elevated section, set-special-folder-paths): each look then costs the lines of that
// command, not the whole script.
// A run rewrites a line's parameters, never its command, and adds no line but at the end
// (tests build scripts line by line), so the index is made on first use and grows with
// the script: lines added at the end are indexed when next asked. A script replaced
// whole must Clear it.
#pragma once

#include <string>
#include <map>
#include <vector>

namespace setup {

class CommandLines {
 public:
  // The indices of the lines of `command` in `lines`, ascending.
  const std::vector<int>& Of(const std::vector<std::wstring>& lines, const std::wstring& command);
  // Forgets every line: the next question indexes the script afresh.
  void Clear();

 private:
  std::size_t indexed_ = 0;  // lines [0, indexed_) are in byCommand_
  std::map<std::wstring, std::vector<int>> byCommand_;
};

}  // namespace setup
