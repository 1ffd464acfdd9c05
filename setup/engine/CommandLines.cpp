#include "setup/engine/CommandLines.h"

#include "setup/engine/CommandParameters.h"

namespace setup {

const std::vector<int>& CommandLines::Of(const std::vector<std::wstring>& lines,
                                         const std::wstring& command) {
  if (indexed_ > lines.size()) Clear();  // a shorter script: another one
  for (; indexed_ < lines.size(); ++indexed_) {
    CommandParameters line;
    line.Parse(lines[indexed_]);
    byCommand_[line.CommandName()].push_back(static_cast<int>(indexed_));
  }
  return byCommand_[command];
}

void CommandLines::Clear() {
  indexed_ = 0;
  byCommand_.clear();
}

}  // namespace setup
