#include "setup/engine/CommandTable.h"

#include <algorithm>

namespace setup {

CommandTable::CommandTable(std::vector<CommandEntry> entries) : entries_(std::move(entries)) {
  byName_.resize(entries_.size());
  for (std::size_t i = 0; i < byName_.size(); ++i) byName_[i] = i;
  std::stable_sort(byName_.begin(), byName_.end(), [this](std::size_t a, std::size_t b) {
    return entries_[a].name < entries_[b].name;
  });
}

const CommandEntry* CommandTable::Find(const std::wstring& name) const {
  const auto found = std::lower_bound(byName_.begin(), byName_.end(), name,
                                      [this](std::size_t index, const std::wstring& wanted) {
                                        return entries_[index].name < wanted;
                                      });
  if (found == byName_.end() || entries_[*found].name != name) return nullptr;
  return &entries_[*found];
}

bool CommandTable::Has(const std::wstring& name, CommandTrait trait) const {
  const CommandEntry* entry = Find(name);
  return entry != nullptr && entry->Has(trait);
}

std::wstring CommandTable::NameWith(CommandTrait trait) const {
  for (const CommandEntry& entry : entries_)
    if (entry.Has(trait)) return entry.name;
  return std::wstring();
}

bool CommandTable::SetHandler(const std::wstring& name, CommandHandler handler) {
  for (CommandEntry& entry : entries_) {
    if (entry.name != name) continue;
    entry.handler = std::move(handler);
    return true;
  }
  return false;
}

}  // namespace setup
