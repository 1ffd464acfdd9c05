#include "setup/engine/RunJournal.h"

#include <cwchar>
#include <set>

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
// The first line: this, then the number of lines the run started from.
const wchar_t kHeader[] = L"#tamber4-progress ";
// A rewritten line: this, its index, a tab, its text.
const wchar_t kRecord = L'@';

std::string Bytes(const std::wstring& text) { return text::WideToUtf16Le(text); }

// The journal's lines, without a last line cut off in the middle of its writing.
std::vector<std::wstring> CompleteLines(const std::wstring& text) {
  std::vector<std::wstring> lines = SplitScriptLines(text);
  const bool cut = !text.empty() && text.back() != L'\n';
  if (cut && !lines.empty()) lines.pop_back();
  return lines;
}

}  // namespace

RunJournal::RunJournal(const std::wstring& workingCopy) : path_(workingCopy + L".progress") {}

std::optional<std::vector<std::wstring>> RunJournal::Recover(const std::vector<std::wstring>& started,
                                                             bool sameFile) const {
  if (platform::files().Attributes(path_) == platform::file::InvalidAttributes) return std::nullopt;
  const std::optional<std::wstring> text = ReadScriptFile(path_, std::wstring());
  if (!text) return std::nullopt;
  const std::vector<std::wstring> lines = CompleteLines(*text);
  if (lines.empty() || lines[0].compare(0, std::wcslen(kHeader), kHeader) != 0) return std::nullopt;
  const std::size_t count = std::wcstoul(lines[0].c_str() + std::wcslen(kHeader), nullptr, 10);
  if (lines.size() < count + 1) return std::nullopt;
  std::vector<std::wstring> recovered(lines.begin() + 1, lines.begin() + 1 + static_cast<std::ptrdiff_t>(count));
  if (!sameFile && recovered != started) {
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

bool RunJournal::Start(const std::vector<std::wstring>& lines) {
  file_.Reset(platform::files().Create(path_, platform::file::GenericWrite, platform::file::ShareRead,
                                       platform::file::CreateAlways, platform::file::AttributeNormal));
  std::wstring text(1, L'\xFEFF');
  text += kHeader + text::DecimalText(lines.size()) + L"\r\n";
  for (const std::wstring& line : lines) text.append(line).append(L"\r\n");
  if (file_.Valid() && WriteWhole(file_.Get(), Bytes(text)) && platform::files().Flush(file_.Get()))
    return true;
  const LastErrorReport failure;
  TAMBER_LOG(Warning, L"Run", L"The progress of this run cannot be kept in '%s' (0x%X: %s); an "
             L"interrupted run will start again from the beginning.", path_, failure.code, failure.text);
  file_.Reset();
  platform::files().Delete(path_);
  return false;
}

void RunJournal::Record(Script& script) {
  if (script.changed.empty()) return;
  std::set<int> indices(script.changed.begin(), script.changed.end());
  script.changed.clear();
  std::vector<std::pair<int, std::wstring>> lines;
  for (const int index : indices) lines.emplace_back(index, script.lines[static_cast<std::size_t>(index)]);
  RecordAhead(lines);
}

void RunJournal::RecordAhead(const std::vector<std::pair<int, std::wstring>>& lines) {
  if (!file_.Valid() || lines.empty()) return;
  std::wstring text;
  for (const auto& [index, line] : lines)
    text += kRecord + text::DecimalText(index) + L"\t" + line + L"\r\n";
  if (WriteWhole(file_.Get(), Bytes(text))) {
    unsynced_ = true;
    return;
  }
  const LastErrorReport failure;
  TAMBER_LOG(Warning, L"Run", L"The progress of this run could not be recorded (0x%X: %s).",
             failure.code, failure.text);
}

void RunJournal::Sync() {
  if (!unsynced_ || !file_.Valid()) return;
  platform::files().Flush(file_.Get());
  unsynced_ = false;
}

void RunJournal::Finish() {
  if (!file_.Valid()) return;
  file_.Reset();
  platform::files().Delete(path_);
}

}  // namespace setup
