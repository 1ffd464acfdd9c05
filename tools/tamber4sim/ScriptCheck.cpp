#include "tools/tamber4sim/ScriptCheck.h"

#include <algorithm>
#include <set>
#include <utility>

#include "platform/sim/SimText.h"
#include "resources/MessageTable.h"
#include "setup/engine/CommandParameters.h"
#include "setup/engine/DecimalParameter.h"
#include "setup/engine/ParameterDeclarations.h"
#include "setup/engine/ScriptFile.h"
#include "text/NearestName.h"
#include "text/Utf.h"

namespace tamber4sim {
namespace {

using platform::sim::WideToUtf8;
using setup::CommandEntry;
using setup::CommandParameters;
using setup::ParameterDeclaration;
using setup::ValueKind;

// Special folders the program always knows; %InstallDirectory% only once it was read.
const wchar_t* const kFixedFolders[] = {L"%LocalAppDataFolder%", L"%ProgramFiles%", L"%System%",
                                        L"%WorkingDirectory%"};
const wchar_t kInstallDirectory[] = L"%InstallDirectory%";
const wchar_t kReadsInstallDirectory[] = L"read-registry-install-directory";
const wchar_t kDefinesNamedFolders[] = L"set-special-folder-paths";

std::string Quoted(const std::wstring& text) { return "'" + WideToUtf8(text) + "'"; }

// " (did you mean 'x'?)" for the nearest of `names`, else empty.
std::string Suggestion(const std::wstring& wrong, const std::vector<std::wstring>& names) {
  const std::wstring nearest = text::NearestName(wrong, names);
  return nearest.empty() ? std::string() : " (did you mean " + Quoted(nearest) + "?)";
}

class Checker {
 public:
  Checker(const setup::CommandTable& commands, const MessageIdTest& isMessageId)
      : commands_(commands), isMessageId_(isMessageId) {
    for (const CommandEntry& entry : commands.entries()) names_.push_back(entry.name);
  }

  void CheckLine(int number, const std::wstring& text) {
    number_ = number;
    CommandParameters line;
    line.Parse(text);
    const std::wstring command = line.CommandName();
    if (command.empty() && text[0] == L'#')
      return Error("a comment with '=' is read as parameters, not as a comment: write "
                   "'%3D' for '='");
    if (command.empty()) return Error("the line has no command name");
    if (command[0] == L'#') return;
    const CommandEntry* entry = commands_.Find(command);
    if (entry == nullptr)
      return Error("unknown command " + Quoted(command) + Suggestion(command, names_));
    if (!entry->handler)
      Warning(Quoted(command) + " is not carried out by this build: its line is marked "
              "\"success\" without effect");
    CheckBlocks(*entry);
    CheckParameters(*entry, line);
    Remember(*entry, line);
  }

  // What is still open at the end of the file.
  std::vector<Finding> Finish() {
    for (const auto& [opener, command] : openBlocks_)
      findings_.push_back({opener, true, Quoted(command) + " has no matching 'end-if'"});
    if (openSection_ > 0)
      findings_.push_back({openSection_, true, "'requires-elevation' has no matching "
                                               "'end-elevation': the section runs to the end"});
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return std::move(findings_);
  }

 private:
  void Error(const std::string& text) { findings_.push_back({number_, true, text}); }
  void Warning(const std::string& text) { findings_.push_back({number_, false, text}); }

  void CheckBlocks(const CommandEntry& entry) {
    if (entry.Has(setup::kConditional)) openBlocks_.emplace_back(number_, entry.name);
    if (entry.Has(setup::kClosesBlock)) {
      if (openBlocks_.empty()) Error("'end-if' without an open block");
      else openBlocks_.pop_back();
    }
    if (entry.Has(setup::kClosesSection)) {
      if (openSection_ == 0) Error(Quoted(entry.name) + " without an open 'requires-elevation'");
      openSection_ = 0;
    }
    if (entry.name == L"requires-elevation") {
      if (openSection_ > 0)
        Error("a section inside the section opened at line " + std::to_string(openSection_) +
              ": sections do not nest");
      openSection_ = number_;
    }
  }

  void CheckParameters(const CommandEntry& entry, const CommandParameters& line) {
    if (entry.parameters == nullptr) return;
    const std::vector<ParameterDeclaration> declared =
        setup::ParseParameterDeclarations(entry.parameters);
    std::vector<std::wstring> declaredNames;
    for (const ParameterDeclaration& d : declared) declaredNames.push_back(d.name);
    for (const auto& parameter : line.entries()) {
      const std::wstring& name = parameter.first;
      const std::wstring& value = parameter.second;
      if (name.empty() || name == L"result") continue;
      auto found = std::find_if(declared.begin(), declared.end(),
                                [&](const ParameterDeclaration& d) { return d.Declares(name); });
      if (found == declared.end())
        Error("unknown parameter " + Quoted(name) + " of " + Quoted(entry.name) +
              Suggestion(name, declaredNames));
      else if (!value.empty())
        CheckValue(*found, value);
    }
    for (const ParameterDeclaration& d : declared)
      if (d.required && line.GetParameter(d.name).empty())
        Error(Quoted(entry.name) + " needs the parameter " + Quoted(d.name));
  }

  void CheckValue(const ParameterDeclaration& d, const std::wstring& value) {
    if (d.kind == ValueKind::Path) return CheckPath(d, value);
    if (d.kind == ValueKind::MessageId) {
      if (!setup::IsValueOfKind(value, ValueKind::Number, {}) ||
          !isMessageId_(static_cast<std::uint32_t>(setup::ParseDecimalParameter(value))))
        Error(Quoted(d.name) + " " + Quoted(value) + " is not a message id of the message table");
      return;
    }
    if (setup::IsValueOfKind(value, d.kind, d.choices)) return;
    static const char* const kExpected[] = {"", "a decimal number",
                                            ("a braced GUID ({XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX})"),
                                            "'yes' or 'no'", "", "", "one of"};
    std::string expected = kExpected[static_cast<int>(d.kind)];
    for (const std::wstring& choice : d.choices) expected += " " + Quoted(choice);
    Error(Quoted(d.name) + " " + Quoted(value) + " is not " + expected);
  }

  void CheckPath(const ParameterDeclaration& d, const std::wstring& value) {
    if (value[0] != L'%') return;
    const std::size_t close = value.find(L'%', 1);
    if (close == std::wstring::npos)
      return Error(Quoted(d.name) + " " + Quoted(value) + " starts a special folder it does not close");
    const std::wstring token = value.substr(0, close + 1);
    if (token == kInstallDirectory) {
      if (!installDirectoryRead_)
        Error(Quoted(token) + " is used before any " + Quoted(kReadsInstallDirectory) + " line");
      return;
    }
    for (const wchar_t* fixed : kFixedFolders)
      if (token == fixed) return;
    if (definedFolders_.count(token) != 0) return;
    if (namedFolders_.count(token) != 0)
      return Error(Quoted(token) + " is used before a " + Quoted(kDefinesNamedFolders) +
                   " line defines it");
    Error("unknown special folder " + Quoted(token));
  }

  // What a line defines for the lines after it.
  void Remember(const CommandEntry& entry, const CommandParameters& line) {
    if (entry.name == kReadsInstallDirectory) installDirectoryRead_ = true;
    if (entry.Has(setup::kNamesSpecialFolder) && line.HasParameter(L"special-folder-name"))
      namedFolders_.insert(L"%" + line.GetParameter(L"special-folder-name") + L"%");
    if (entry.name == kDefinesNamedFolders) definedFolders_ = namedFolders_;
  }

  const setup::CommandTable& commands_;
  const MessageIdTest& isMessageId_;
  std::vector<std::wstring> names_;
  std::vector<Finding> findings_;
  int number_ = 0;
  std::vector<std::pair<int, std::wstring>> openBlocks_;  // opener line and command
  int openSection_ = 0;
  bool installDirectoryRead_ = false;
  std::set<std::wstring> namedFolders_;    // by earlier downloads
  std::set<std::wstring> definedFolders_;  // by a set-special-folder-paths after them
};

}  // namespace

bool DecodeScriptBytes(const std::string& bytes, std::wstring* text) {
  if (!setup::StartsAsUtf16Le(bytes)) return false;
  const std::size_t at = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE' ? 2 : 0;
  text->append(text::Utf16LeToWide(std::string_view(bytes).substr(at)));
  return true;
}

std::vector<std::pair<int, std::wstring>> NumberedLines(const std::wstring& text) {
  std::vector<std::pair<int, std::wstring>> lines;
  int number = 1;
  std::wstring current;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c != L'\r' && c != L'\n') {
      current.push_back(c);
      continue;
    }
    if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    if (!current.empty()) lines.emplace_back(number, current);
    current.clear();
    ++number;
  }
  if (!current.empty()) lines.emplace_back(number, current);
  return lines;
}

bool IsMessageTableId(std::uint32_t id) {
  std::size_t count = 0;
  const resources::MessageTableEntry* table = resources::MessageTable(&count);
  for (std::size_t i = 0; i < count; ++i)
    if (table[i].id == id) return true;
  return false;
}

std::vector<Finding> CheckScript(const std::string& bytes, const setup::CommandTable& commands,
                                 const MessageIdTest& isMessageId) {
  std::vector<Finding> findings;
  std::wstring text;
  if (!DecodeScriptBytes(bytes, &text)) {
    findings.push_back({0, true, "the file is not UTF-16LE text: it has no byte-order mark and "
                                 "its first character is not UTF-16; save it as UTF-16 "
                                 "(\"Unicode\")"});
    return findings;
  }
  if (bytes.size() % 2 != 0)
    findings.push_back({0, false, "the file ends in half a character, which the program ignores"});
  Checker checker(commands, isMessageId);
  for (const auto& [number, line] : NumberedLines(text)) checker.CheckLine(number, line);
  std::vector<Finding> found = checker.Finish();
  findings.insert(findings.end(), found.begin(), found.end());
  return findings;
}

}  // namespace tamber4sim
