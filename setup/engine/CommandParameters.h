// The parsed record of one script line: an ordered map from parameter name to value, with
// the command name under the empty name. A value type.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace setup {

// A line's outcome, kept in its "result" parameter: "success" and "failure" lines ran and are
// skipped on later runs of the file; "repeat" lines run on every run.
enum class LineResult { Success, Failure, Repeat };

// The parameter's text for `result`: "success", "failure" or "repeat".
const std::wstring& ResultWord(LineResult result);

class CommandParameters {
 public:
  // Empties the record, then fills it from `line` (never fails).
  void Parse(const std::wstring& line);
  // The line text: entries in code-unit order of name, escaped, joined by '|'.
  std::wstring Serialize() const;
  // Serialize into `line`, replacing what it held and keeping its room.
  void SerializeInto(std::wstring& line) const;
  // The value, or the empty text when absent. Never inserts.
  std::wstring GetParameter(std::wstring_view name) const;
  bool HasParameter(std::wstring_view name) const;
  // True when flag parameter `name` is "yes", the only true value of a flag.
  bool IsYes(std::wstring_view name) const { return Value(name) == L"yes"; }
  void SetParameter(const std::wstring& name, const std::wstring& value);
  // True when the name was present.
  bool RemoveParameter(std::wstring_view name);
  // The command, the value under the empty name. The reference stays valid until the
  // record is next changed.
  const std::wstring& CommandName() const;

  // The line's "result" as written, empty when it has none; valid as CommandName's.
  const std::wstring& Result() const;
  // Sets the line's "result".
  void SetResult(LineResult result);
  // True when the line's "result" is `result`.
  bool ResultIs(LineResult result) const;
  // True when the line ran before and is skipped now ("success" or "failure").
  bool AlreadyRan() const;

  // Every entry, as a map (a copy: for checks and tests, not for each line of a run).
  std::map<std::wstring, std::wstring> entries() const;

 private:
  using Entry = std::pair<std::wstring, std::wstring>;

  // The value of `name`, or an empty text that lives as long as the program.
  const std::wstring& Value(std::wstring_view name) const;
  // Sets `name` to `value`, taking both.
  void Put(std::wstring name, std::wstring value);
  // The first entry whose name is not below `name`.
  std::vector<Entry>::const_iterator LowerBound(std::wstring_view name) const;
  // The entry of `name`, or the end.
  std::vector<Entry>::const_iterator Find(std::wstring_view name) const;
  // The entry of `name`, made with an empty value when there is none.
  std::vector<Entry>::iterator Slot(const std::wstring& name);

  // The "result" entry's text, empty when it has none.
  const std::wstring& ResultText() const;
  // Sets the "result" entry to `value`.
  void SetResultText(std::wstring value);

  // Sorted by name in code-unit order, names unique: a line has a handful of entries, and
  // one vector costs less than a tree node per entry. Never holds "result".
  std::vector<Entry> entries_;
  // Entries of the lines parsed before, emptied, whose texts keep their room for the next.
  std::vector<Entry> spare_;
  // The "result" entry, kept apart: every line of a run has its result set twice, and a word
  // costs no text of its own. kNoResult, a LineResult for its word, or kOtherResult for
  // `otherResult_` (a text that is none of the words).
  static constexpr int kNoResult = -1;
  static constexpr int kOtherResult = 3;
  int result_ = kNoResult;
  std::wstring otherResult_;
};

// One name or value of a line. Escaping writes every code unit below U+0020 and every
// '%', '=' and '|' as '%' and two upper-case hex digits; all else is written unchanged.
std::wstring EscapeField(const std::wstring& field);
// Unescaping turns "%XX" below 0x80 into that character, and the two or three "%XX" of a
// UTF-8 sequence led by 0xC0-0xDF or 0xE0-0xEF into one UTF-16 code unit. A malformed escape
// (other lead byte, bad continuation, a '%' not followed by two hex digits, the end of the
// text) keeps the characters read so far as written; scanning resumes at the first
// character that did not fit, so "%%41" gives "%A" and "%2541" gives "%41".
std::wstring UnescapeField(const std::wstring& field);

}  // namespace setup
