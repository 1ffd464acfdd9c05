#include "tools/tamber4sim/RunSummary.h"

#include <vector>

#include "platform/sim/SimText.h"
#include "setup/engine/CommandParameters.h"
#include "tools/tamber4sim/HostFile.h"
#include "tools/tamber4sim/ScriptCheck.h"

namespace tamber4sim {
namespace {

std::vector<std::wstring> LinesOf(const std::string& bytes) {
  std::wstring text;
  std::vector<std::wstring> lines;
  if (!DecodeScriptBytes(bytes, &text)) return lines;
  for (auto& [number, line] : NumberedLines(text)) lines.push_back(std::move(line));
  return lines;
}

// The file line number of each working-copy line: the script's own when the working copy
// holds the script's lines (after the one `self` line a web script gains), else positions.
std::vector<int> FileNumbers(const std::vector<std::wstring>& copy, const std::string& scriptBytes) {
  std::wstring text;
  std::vector<std::pair<int, std::wstring>> script;
  if (!scriptBytes.empty() && DecodeScriptBytes(scriptBytes, &text)) script = NumberedLines(text);
  const std::size_t offset = copy.size() == script.size() + 1 ? 1 : 0;
  std::vector<int> numbers;
  for (std::size_t i = 0; i < copy.size(); ++i)
    numbers.push_back(copy.size() == script.size() + offset && i >= offset
                          ? script[i - offset].first
                          : static_cast<int>(i + 1));
  return numbers;
}

}  // namespace

std::vector<LineOutcome> LineOutcomes(const std::filesystem::path& workingCopy,
                                      const std::string& scriptBytes, int lastProcessed) {
  const std::vector<std::wstring> lines = LinesOf(ReadHostFile(workingCopy).value_or(std::string()));
  const std::vector<int> numbers = FileNumbers(lines, scriptBytes);
  std::vector<LineOutcome> outcomes;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    setup::CommandParameters line;
    line.Parse(lines[i]);
    if (!line.CommandName().empty() && line.CommandName()[0] == L'#') continue;  // a comment
    outcomes.push_back({workingCopy.filename().string(), numbers[i],
                        platform::sim::WideToUtf8(line.CommandName()),
                        platform::sim::WideToUtf8(line.Result()),
                        line.Result().empty() && static_cast<int>(i) + 1 == lastProcessed});
  }
  return outcomes;
}

void PrintLineOutcomes(const std::filesystem::path& workingCopy,
                       const std::vector<LineOutcome>& lines, std::FILE* out) {
  std::fprintf(out, "tamber4sim: line results of %s\n", workingCopy.string().c_str());
  for (const LineOutcome& line : lines)
    std::fprintf(out, "  %s:%d  %-34s %s\n", line.copy.c_str(), line.line, line.command.c_str(),
                 !line.result.empty() ? line.result.c_str()
                 : line.stoppedRun    ? "(no result: the run stopped here)"
                                      : "(not run)");
}

}  // namespace tamber4sim
