// The executable's resources in the simulated machine: the message table (the build's own
// table from resources/MessageTable.h, or one a test injects), the string table and the
// file version.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Resources.h"
#include "platform/sim/SimProcess.h"
#include "platform/sim/SimSystemInfo.h"
#include "resources/MessageTable.h"

namespace platform::sim {

// FormatMessageW's rendering of a stored message without insert values: "%0" ends the
// text, "%%" gives "%", "%n" CR LF, "%r" CR, "%t" TAB, "%b" a space, and "%" before any
// other character gives that character ("%." ".", "%!" "!"); a lone "%" at the end stays.
// False when the text reaches a numbered insert ("%1"), which cannot be filled.
bool RenderStoredMessage(std::wstring_view stored, std::wstring* text);

class SimResources : public Resources {
 public:
  static constexpr std::uint32_t kWebScriptStringId = 131;
  static constexpr const wchar_t* kDefaultWebScriptAddress =
      L"https://downloads.tamber.example/setup/Tamber4WebScript.crvdat";

  SimResources(SimProcess& process, SimSystemInfo& system);

  // The entry of the block of the language's primary language (language 0: the user's
  // UI language, then English, then any block); false with ResourceLangNotFound when the
  // identifier exists only in other languages, MrMidNotFound when it does not exist, and
  // InvalidParameter when the text holds an insert.
  bool FormatModuleMessage(ModuleHandle module, std::uint32_t id, LangId language,
                           std::wstring* text) override;
  // False with ResourceNameNotFound when the string does not exist or is empty.
  bool LoadStringResource(std::uint32_t id, std::wstring* text) override;
  bool FileVersion(std::uint16_t parts[4]) override;

  // --- Set-up.
  // Replaces the build's message table by `entries` (texts as stored, with "%0").
  void SetMessageTable(std::vector<resources::MessageTableEntry> entries);
  // Sets (or, with an empty text, removes) a string of the string table.
  void SetString(std::uint32_t id, const std::wstring& text);
  const std::map<std::uint32_t, std::wstring>& Strings() const { return strings_; }
  void SetFileVersion(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d);

 private:
  const resources::MessageTableEntry* FindEntry(std::uint32_t id, std::uint16_t primary) const;
  bool HasId(std::uint32_t id) const;
  std::uint16_t PrimaryFor(std::uint32_t id, LangId language) const;

  SimProcess& process_;
  SimSystemInfo& system_;
  std::vector<resources::MessageTableEntry> injected_;
  bool useInjected_ = false;
  std::deque<std::wstring> injectedTexts_;
  std::map<std::uint32_t, std::wstring> strings_;
  std::uint16_t version_[4] = {4, 0, 0, 0};
};

}  // namespace platform::sim
