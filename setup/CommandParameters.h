// The parsed record of one script line: an ordered map from parameter name to value, with
// the command name under the empty name. A value type.
#pragma once

#include <map>
#include <string>

namespace setup {

class CommandParameters {
 public:
  // Empties the record, then fills it from `line` (never fails).
  void Parse(const std::wstring& line);
  // The line text: entries in code-unit order of name, escaped, joined by '|'.
  std::wstring Serialize() const;
  // The value, or the empty text when absent. Never inserts.
  std::wstring GetParameter(const std::wstring& name) const;
  bool HasParameter(const std::wstring& name) const;
  void SetParameter(const std::wstring& name, const std::wstring& value);
  // True when the name was present.
  bool RemoveParameter(const std::wstring& name);
  std::wstring CommandName() const { return GetParameter(std::wstring()); }

  const std::map<std::wstring, std::wstring>& entries() const { return entries_; }

 private:
  std::map<std::wstring, std::wstring> entries_;
};

// One name or value of a line, escaped and unescaped.
std::wstring EscapeField(const std::wstring& field);
std::wstring UnescapeField(const std::wstring& field);

}  // namespace setup
