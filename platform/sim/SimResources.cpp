#include "platform/sim/SimResources.h"

#include "platform/sim/SimErrors.h"

namespace platform::sim {

bool RenderStoredMessage(std::wstring_view stored, std::wstring* text) {
  std::wstring out;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    const wchar_t c = stored[i];
    if (c != L'%' || i + 1 == stored.size()) {
      out.push_back(c);
      continue;
    }
    const wchar_t next = stored[++i];
    if (next == L'0') break;
    if (next >= L'1' && next <= L'9') return false;
    switch (next) {
      case L'n': out += L"\r\n"; break;
      case L'r': out.push_back(L'\r'); break;
      case L't': out.push_back(L'\t'); break;
      case L'b': out.push_back(L' '); break;
      default: out.push_back(next); break;
    }
  }
  *text = std::move(out);
  return true;
}

SimResources::SimResources(SimProcess& process, SimSystemInfo& system)
    : process_(process), system_(system) {
  strings_[kWebScriptStringId] = kDefaultWebScriptAddress;
}

void SimResources::SetMessageTable(std::vector<resources::MessageTableEntry> entries) {
  // Keep copies of the texts, so a test may build them from temporaries.
  injectedTexts_.clear();
  for (const auto& entry : entries) injectedTexts_.emplace_back(entry.text);
  injected_ = std::move(entries);
  for (std::size_t i = 0; i < injected_.size(); ++i) injected_[i].text = injectedTexts_[i].c_str();
  useInjected_ = true;
}

const resources::MessageTableEntry* SimResources::FindEntry(std::uint32_t id,
                                                           std::uint16_t primary) const {
  std::size_t count = 0;
  const resources::MessageTableEntry* table =
      useInjected_ ? injected_.data() : resources::MessageTable(&count);
  if (useInjected_) count = injected_.size();
  for (std::size_t i = 0; i < count; ++i)
    if (table[i].id == id && (primary == 0 || table[i].primaryLanguage == primary))
      return &table[i];
  return nullptr;
}

bool SimResources::HasId(std::uint32_t id) const { return FindEntry(id, 0) != nullptr; }

// The primary language whose block answers: the language's own; for language 0 the user's
// UI language, else English, else whichever block has the entry.
std::uint16_t SimResources::PrimaryFor(std::uint32_t id, LangId language) const {
  if (language != 0) return language & 0x3FF;
  for (std::uint16_t primary : {static_cast<std::uint16_t>(system_.UserDefaultUiLanguage() & 0x3FF),
                                static_cast<std::uint16_t>(0x09)})
    if (FindEntry(id, primary) != nullptr) return primary;
  const resources::MessageTableEntry* any = FindEntry(id, 0);
  return any != nullptr ? any->primaryLanguage : 0;
}

bool SimResources::FormatModuleMessage(ModuleHandle module, std::uint32_t id, LangId language,
                                       std::wstring* text) {
  if (module != 0 && module != process_.ExecutableModule()) {
    process_.SetLastError(simerr::ResourceDataNotFound);
    return false;
  }
  if (!HasId(id)) {
    process_.SetLastError(simerr::MrMidNotFound);
    return false;
  }
  const resources::MessageTableEntry* entry = FindEntry(id, PrimaryFor(id, language));
  if (entry == nullptr) {
    process_.SetLastError(simerr::ResourceLangNotFound);
    return false;
  }
  if (!RenderStoredMessage(entry->text, text)) {
    process_.SetLastError(err::InvalidParameter);
    return false;
  }
  return true;
}

bool SimResources::LoadStringResource(std::uint32_t id, std::wstring* text) {
  auto it = strings_.find(id);
  if (it == strings_.end()) {
    process_.SetLastError(simerr::ResourceNameNotFound);
    return false;
  }
  *text = it->second;
  return true;
}

bool SimResources::FileVersion(std::uint16_t parts[4]) {
  for (int i = 0; i < 4; ++i) parts[i] = version_[i];
  return true;
}

void SimResources::SetString(std::uint32_t id, const std::wstring& text) {
  if (text.empty()) {
    strings_.erase(id);
    return;
  }
  strings_[id] = text;
}

void SimResources::SetFileVersion(std::uint16_t a, std::uint16_t b, std::uint16_t c,
                                  std::uint16_t d) {
  version_[0] = a;
  version_[1] = b;
  version_[2] = c;
  version_[3] = d;
}

}  // namespace platform::sim
