#include "setup/engine/CommandTable.h"

namespace setup {

CommandTable::CommandTable(std::vector<CommandEntry> entries) : entries_(std::move(entries)) {
  for (std::size_t i = 0; i < entries_.size(); ++i) byName_.emplace(entries_[i].name, i);
}

const CommandEntry* CommandTable::Find(const std::wstring& name) const {
  const auto found = byName_.find(name);
  return found == byName_.end() ? nullptr : &entries_[found->second];
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
