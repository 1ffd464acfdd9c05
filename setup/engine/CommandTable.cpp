#include "setup/engine/CommandTable.h"

namespace setup {

const CommandEntry* CommandTable::Find(const std::wstring& name) const {
  for (const CommandEntry& entry : entries_)
    if (entry.name == name) return &entry;
  return nullptr;
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
