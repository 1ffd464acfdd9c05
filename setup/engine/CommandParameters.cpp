// The line grammar: segments cut at '|', a name and a value split at the first '=', each
// escaped as %XX so that any text survives a rewrite of the script.
#include "setup/engine/CommandParameters.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace setup {
namespace {

constexpr wchar_t kSegmentSeparator = L'|';
constexpr wchar_t kNameValueSeparator = L'=';
constexpr wchar_t kEscape = L'%';
const std::wstring kResultName = L"result";

bool NeedsEscape(wchar_t c) {
  return static_cast<std::uint32_t>(c) < 0x20 || c == kEscape || c == kNameValueSeparator ||
         c == kSegmentSeparator;
}

// Copies the runs between escaped characters in one append each: most fields have none.
void AppendEscaped(std::wstring& out, std::wstring_view field) {
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  std::size_t run = 0;
  for (std::size_t i = 0; i < field.size(); ++i) {
    const wchar_t c = field[i];
    if (!NeedsEscape(c)) continue;
    out.append(field.data() + run, i - run);
    const auto code = static_cast<unsigned>(c);
    const wchar_t escape[] = {kEscape, kHex[code >> 4], kHex[code & 0xF]};
    out.append(escape, 3);
    run = i + 1;
  }
  out.append(field.data() + run, field.size() - run);
}

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// Reads one "%XX" at `*pos`; on success moves past it and returns the byte, else returns -1
// and leaves `*pos` on the first character that does not fit.
int ReadEscapedByte(std::wstring_view text, std::size_t* pos) {
  if (*pos >= text.size() || text[*pos] != kEscape) return -1;
  if (*pos + 1 >= text.size() || HexValue(text[*pos + 1]) < 0) {
    *pos += 1;
    return -1;
  }
  if (*pos + 2 >= text.size() || HexValue(text[*pos + 2]) < 0) {
    *pos += 2;
    return -1;
  }
  int byte = HexValue(text[*pos + 1]) * 16 + HexValue(text[*pos + 2]);
  *pos += 3;
  return byte;
}

// Decodes the escape starting at the '%' at `*pos` (a byte below 0x80, or a two- or
// three-byte UTF-8 sequence of escapes) and moves past it. Returns -1 when the escape is
// malformed; `*pos` is then past the characters that were read, which stay as written.
long DecodeEscape(std::wstring_view text, std::size_t* pos) {
  int lead = ReadEscapedByte(text, pos);
  if (lead < 0) return -1;
  if (lead < 0x80) return lead;
  int continuations = lead >= 0xC0 && lead <= 0xDF ? 1 : lead >= 0xE0 && lead <= 0xEF ? 2 : 0;
  if (continuations == 0) return -1;
  long c = lead & (continuations == 1 ? 0x1F : 0x0F);
  for (int i = 0; i < continuations; ++i) {
    int next = ReadEscapedByte(text, pos);
    if (next < 0 || (next & 0xC0) != 0x80) return -1;
    c = (c << 6) | (next & 0x3F);
  }
  return c;
}

void AppendUnescaped(std::wstring& out, std::wstring_view field) {
  std::size_t pos = 0;
  while (pos < field.size()) {
    std::size_t escape = field.find(kEscape, pos);
    if (escape == std::wstring_view::npos) escape = field.size();
    out.append(field.substr(pos, escape - pos));
    pos = escape;
    if (pos == field.size()) return;
    long c = DecodeEscape(field, &pos);
    if (c >= 0) out.push_back(static_cast<wchar_t>(c));
    else out.append(field.substr(escape, pos - escape));
  }
}

std::wstring Unescape(std::wstring_view field) {
  std::wstring out;
  out.reserve(field.size());
  AppendUnescaped(out, field);
  return out;
}

}  // namespace

std::wstring EscapeField(const std::wstring& field) {
  std::wstring out;
  out.reserve(field.size());
  AppendEscaped(out, field);
  return out;
}

std::wstring UnescapeField(const std::wstring& field) { return Unescape(field); }

void CommandParameters::Parse(const std::wstring& line) {
  // The entries of the last line lend the room of their texts to this line's.
  for (Entry& entry : entries_) spare_.push_back(std::move(entry));
  entries_.clear();
  result_ = kNoResult;
  if (line.empty()) return;
  // One entry per segment, and room for the result the run sets.
  entries_.reserve(static_cast<std::size_t>(std::count(line.begin(), line.end(), kSegmentSeparator)) + 2);
  std::wstring_view rest(line);
  for (;;) {
    std::size_t bar = rest.find(kSegmentSeparator);
    std::wstring_view segment = rest.substr(0, bar);
    std::size_t equals = segment.find(kNameValueSeparator);
    std::wstring_view name = equals == std::wstring_view::npos ? std::wstring_view() : segment.substr(0, equals);
    std::wstring_view value = equals == std::wstring_view::npos ? segment : segment.substr(equals + 1);
    Entry entry;
    if (!spare_.empty()) {
      entry = std::move(spare_.back());
      spare_.pop_back();
      entry.first.clear();
      entry.second.clear();
    }
    entry.first.reserve(name.size());
    AppendUnescaped(entry.first, name);
    entry.second.reserve(value.size());
    AppendUnescaped(entry.second, value);
    Put(std::move(entry.first), std::move(entry.second));
    if (bar == std::wstring_view::npos) return;
    rest.remove_prefix(bar + 1);
  }
}

std::wstring CommandParameters::Serialize() const {
  std::wstring line;
  SerializeInto(line);
  return line;
}

void CommandParameters::SerializeInto(std::wstring& line) const {
  const std::wstring& result = ResultText();
  const bool hasResult = result_ != kNoResult;
  line.clear();
  std::size_t size = hasResult ? kResultName.size() + result.size() + 2 : 0;
  for (const auto& [name, value] : entries_) size += name.size() + value.size() + 2;
  line.reserve(size + size / 8);  // room for a few escapes without growing
  bool first = true;
  const auto append = [&line, &first](const std::wstring& name, const std::wstring& value) {
    if (!first) line.push_back(kSegmentSeparator);
    first = false;
    if (!name.empty()) {
      AppendEscaped(line, name);
      line.push_back(kNameValueSeparator);
    }
    AppendEscaped(line, value);
  };
  bool resultWritten = !hasResult;
  for (const auto& [name, value] : entries_) {
    if (!resultWritten && kResultName < name) {
      append(kResultName, result);
      resultWritten = true;
    }
    append(name, value);
  }
  if (!resultWritten) append(kResultName, result);
}

namespace {

// What a record reads for a name it does not hold.
const std::wstring& Absent() {
  static const std::wstring kAbsent;
  return kAbsent;
}

}  // namespace

// The empty name sorts first: the command, when there is one, is the first entry.
const std::wstring& CommandParameters::CommandName() const {
  return entries_.empty() || !entries_.front().first.empty() ? Absent() : entries_.front().second;
}

std::vector<CommandParameters::Entry>::const_iterator CommandParameters::LowerBound(
    std::wstring_view name) const {
  return std::lower_bound(entries_.begin(), entries_.end(), name,
                          [](const Entry& entry, std::wstring_view wanted) { return entry.first < wanted; });
}

std::vector<CommandParameters::Entry>::const_iterator CommandParameters::Find(
    std::wstring_view name) const {
  const auto found = LowerBound(name);
  return found != entries_.end() && found->first == name ? found : entries_.end();
}

std::vector<CommandParameters::Entry>::iterator CommandParameters::Slot(const std::wstring& name) {
  const auto found = entries_.begin() + (LowerBound(name) - entries_.cbegin());
  if (found != entries_.end() && found->first == name) return found;
  return entries_.emplace(found, name, std::wstring());
}

std::wstring CommandParameters::GetParameter(std::wstring_view name) const { return Value(name); }

const std::wstring& CommandParameters::Value(std::wstring_view name) const {
  if (name == kResultName) return ResultText();
  const auto found = Find(name);
  return found == entries_.end() ? Absent() : found->second;
}

bool CommandParameters::HasParameter(std::wstring_view name) const {
  if (name == kResultName) return result_ != kNoResult;
  return Find(name) != entries_.end();
}

// An entry already there takes the value in its own storage, without a new allocation when
// it fits: every line's result is preset, then set again.
void CommandParameters::SetParameter(const std::wstring& name, const std::wstring& value) {
  if (name == kResultName) return SetResultText(value);
  Slot(name)->second.assign(value);
}

// Lines are mostly written in order of name already, so a new name usually goes at the end.
void CommandParameters::Put(std::wstring name, std::wstring value) {
  if (name == kResultName) return SetResultText(std::move(value));
  if (entries_.empty() || entries_.back().first < name)
    entries_.emplace_back(std::move(name), std::move(value));
  else
    Slot(name)->second = std::move(value);
}

bool CommandParameters::RemoveParameter(std::wstring_view name) {
  if (name == kResultName) {
    const bool had = result_ != kNoResult;
    result_ = kNoResult;
    return had;
  }
  const auto found = Find(name);
  if (found == entries_.end()) return false;
  entries_.erase(found);
  return true;
}

std::map<std::wstring, std::wstring> CommandParameters::entries() const {
  std::map<std::wstring, std::wstring> all(entries_.begin(), entries_.end());
  if (result_ != kNoResult) all.emplace(kResultName, ResultText());
  return all;
}

const std::wstring& ResultWord(LineResult result) {
  static const std::wstring kWords[] = {L"success", L"failure", L"repeat"};
  return kWords[static_cast<int>(result)];
}

const std::wstring& CommandParameters::ResultText() const {
  if (result_ == kNoResult) return Absent();
  if (result_ == kOtherResult) return otherResult_;
  return ResultWord(static_cast<LineResult>(result_));
}

void CommandParameters::SetResultText(std::wstring value) {
  for (LineResult word : {LineResult::Success, LineResult::Failure, LineResult::Repeat}) {
    if (value == ResultWord(word)) {
      result_ = static_cast<int>(word);
      return;
    }
  }
  otherResult_ = std::move(value);
  result_ = kOtherResult;
}

const std::wstring& CommandParameters::Result() const { return ResultText(); }

void CommandParameters::SetResult(LineResult result) { result_ = static_cast<int>(result); }

bool CommandParameters::AlreadyRan() const {
  return result_ == static_cast<int>(LineResult::Success) ||
         result_ == static_cast<int>(LineResult::Failure);
}

bool CommandParameters::ResultIs(LineResult result) const {
  return result_ == static_cast<int>(result);
}

}  // namespace setup
