#include "setup/engine/RunJournal.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

#include "logging/Log.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "setup/engine/ScriptFile.h"
#include "setup/session/LastErrorReport.h"
#include "text/Format.h"
#include "text/Utf.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "RunJournal";
// The first line: this, the number of lines of the opening, a space and the script's
// fingerprint. A journal of an earlier build has no fingerprint, and its opening is the
// lines its run started from.
const wchar_t kHeader[] = L"#tamber4-progress ";
// A rewritten line: this, its index, a tab, its text.
const wchar_t kRecord = L'@';

// The digits of `value` (not negative) as UTF-16LE: one per line recorded, so not through
// the formatter.
void AppendDecimalUtf16Le(std::string& bytes, int value) {
  char digits[12];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0);
  while (count > 0) bytes.append(1, digits[--count]).append(1, '\0');
}

// Appends the record of line `index`, now reading `line`, to `bytes`.
void AppendRecord(std::string& bytes, int index, const std::wstring& line) {
  bytes.append(1, static_cast<char>(kRecord)).append(1, '\0');
  AppendDecimalUtf16Le(bytes, index);
  bytes.append("\t\0", 2);
  AppendUtf16LeLine(bytes, line);
}

// The journal's lines, without a last line cut off in the middle of its writing.
std::vector<std::wstring> CompleteLines(const std::wstring& text) {
  std::vector<std::wstring> lines = SplitScriptLines(text);
  const bool cut = !text.empty() && text.back() != L'\n';
  if (cut && !lines.empty()) lines.pop_back();
  return lines;
}

// The fingerprint as the header writes it: sixteen upper-case hex digits.
std::wstring FingerprintText(std::uint64_t print) {
  std::wstring digits(16, L'0');
  for (auto digit = digits.rbegin(); digit != digits.rend(); ++digit, print >>= 4)
    *digit = L"0123456789ABCDEF"[print & 0xF];
  return digits;
}

// The journal's first bytes: the header, then the script's lines as they read now.
std::string OpeningBytes(const Script& script, const std::wstring& fingerprint) {
  std::size_t units = 64;
  for (const std::wstring& line : script.lines) units += line.size() + 2;
  std::string bytes;
  bytes.reserve(units * 2);
  AppendUtf16LeLine(bytes, L"\xFEFF" + (kHeader + text::DecimalText(script.lines.size())) + L" " +
                               fingerprint);
  for (const std::wstring& line : script.lines) AppendUtf16LeLine(bytes, line);
  return bytes;
}

// Whether the script that a journal's `opening` and `written` fingerprint (empty in a
// journal of an earlier build) were written for is the one the new run read: `read`, whose
// fingerprint is `fingerprint`.
bool IsOfScript(const std::vector<std::wstring>& opening, const std::wstring& written,
                const std::vector<std::wstring>& read, std::uint64_t fingerprint) {
  if (written.empty()) return opening == read;
  return written == FingerprintText(fingerprint);
}

}  // namespace

RunJournal::RunJournal(const std::wstring& workingCopy) : path_(workingCopy + L".progress") {}

std::optional<std::vector<std::wstring>> RunJournal::Recover(const std::vector<std::wstring>& read,
                                                             std::uint64_t fingerprint,
                                                             bool sameFile) const {
  if (platform::files().Attributes(path_) == platform::file::InvalidAttributes) return std::nullopt;
  const std::optional<std::wstring> text = ReadScriptFile(path_, std::wstring());
  if (!text) return std::nullopt;
  const std::vector<std::wstring> lines = CompleteLines(*text);
  if (lines.empty() || lines[0].compare(0, std::wcslen(kHeader), kHeader) != 0) return std::nullopt;
  wchar_t* afterCount = nullptr;
  const std::size_t count = std::wcstoul(lines[0].c_str() + std::wcslen(kHeader), &afterCount, 10);
  if (lines.size() < count + 1) return std::nullopt;
  const std::wstring written = *afterCount == L' ' ? std::wstring(afterCount + 1) : std::wstring();
  std::vector<std::wstring> recovered(lines.begin() + 1, lines.begin() + 1 + static_cast<std::ptrdiff_t>(count));
  if (!sameFile && !IsOfScript(recovered, written, read, fingerprint)) {
    TAMBER_LOG(Warning, L"Run", L"An interrupted run of another version of this script left its "
               L"progress in '%s'; starting afresh.", path_);
    return std::nullopt;
  }
  int rewritten = 0;
  for (std::size_t i = count + 1; i < lines.size(); ++i) {
    const std::wstring& record = lines[i];
    const std::size_t tab = record.find(L'\t');
    if (record[0] != kRecord || tab == std::wstring::npos) continue;
    const std::size_t index = std::wcstoul(record.c_str() + 1, nullptr, 10);
    if (index >= recovered.size()) continue;
    recovered[index] = record.substr(tab + 1);
    ++rewritten;
  }
  TAMBER_LOG(Warning, L"Run", L"The last run of this script was interrupted; resuming with the "
             L"%d lines it had rewritten.", rewritten);
  return recovered;
}

void RunJournal::Start(std::uint64_t fingerprint) {
  fingerprint_ = FingerprintText(fingerprint);
  state_ = State::Waiting;
}

void RunJournal::Sync(Script& script) {
  if (script.changed.empty()) return;
  std::vector<int> indices;
  indices.swap(script.changed);
  // The opening holds every line as it reads now, the rewritten ones too.
  if (state_ == State::Waiting) {
    Open(OpeningBytes(script, fingerprint_));
    return;
  }
  if (state_ != State::Open) return;
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  std::string bytes;
  for (const int index : indices) AppendRecord(bytes, index, script.lines[static_cast<std::size_t>(index)]);
  if (WriteWhole(file_.Get(), bytes) && platform::files().Flush(file_.Get())) return;
  const LastErrorReport failure;
  TAMBER_LOG(Warning, L"Run", L"The progress of this run could not be recorded (0x%X: %s).",
             failure.code, failure.text);
}

void RunJournal::Open(const std::string& bytes) {
  // Written whole aside, then moved over: the journal of a cut run that this run resumed
  // stays whole until this one is.
  if (WriteFileAside(path_, [&bytes](platform::Handle file) { return WriteWhole(file, bytes); })) {
    file_.Reset(platform::files().Create(path_, platform::file::GenericWrite,
                                         platform::file::ShareRead, platform::file::OpenExisting,
                                         platform::file::AttributeNormal));
    if (file_.Valid() && platform::files().SeekToEnd(file_.Get())) {
      state_ = State::Open;
      return;
    }
  }
  const LastErrorReport failure;
  TAMBER_LOG(Warning, L"Run", L"The progress of this run cannot be kept in '%s' (0x%X: %s); if it "
             L"is interrupted, what it does from here on will be done again.", path_, failure.code,
             failure.text);
  // What is in the journal now, a cut run's or this run's opening, is still true of the lines
  // it names, so it stays for the next run.
  file_.Reset();
  state_ = State::Off;
}

void RunJournal::Finish() {
  if (state_ == State::NotStarted) return;
  // Also removes the journal of an earlier cut run that this run resumed but never rewrote.
  file_.Reset();
  platform::files().Delete(path_);
  state_ = State::NotStarted;
}

}  // namespace setup
