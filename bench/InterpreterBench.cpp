// Prints how long the interpreter takes to read, run and write back generated scripts of
// 10,000 and 100,000 lines (comments, unknown commands, nested blocks), with logging off and
// with the default Info logging on, on the simulated machine; and the cost of parsing and
// serializing the same lines alone. The time per line should not grow with the script.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "logging/Log.h"
#include "logging/LogTesting.h"
#include "platform/Machine.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTempFolder.h"
#include "setup/engine/CommandParameters.h"
#include "setup/engine/Interpreter.h"
#include "setup/session/ProcessState.h"
#include "text/Utf.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::wstring kSource = L"C:\\Media\\bench.crvdat";
const std::wstring kWorkingCopy = L"C:\\Users\\User\\AppData\\Local\\Tamber4\\Install\\bench.crvdat";

// One block of ten lines: comments, unknown commands with escaped values, and two nested
// conditional blocks closed by their end-if lines.
const wchar_t* const kBlock[] = {
    L"# step %d of the generated script",
    L"frobnicate|path=C:\\Program Files\\Tamber%254|n=%d",
    L"if-registry-check|registry-path=HKCU\\Software\\Bench|registry-value-name=v%d",
    L"write-something|a=1|b=two words|c=%C3%A9",
    L"if-not-installed|upgrade-code={6F3A7C42-1111-2222-3333-444455556666}",
    L"# inner %d",
    L"end-if",
    L"mystery-command|x=y%3Dz",
    L"end-if",
    L"wait-for-nothing|seconds=%d",
};

std::vector<std::wstring> GenerateLines(int count) {
  std::vector<std::wstring> lines;
  lines.reserve(static_cast<std::size_t>(count));
  for (int i = 0; static_cast<int>(lines.size()) < count; ++i) {
    for (const wchar_t* pattern : kBlock) {
      if (static_cast<int>(lines.size()) == count) break;
      std::wstring line = pattern;
      const std::size_t mark = line.find(L"%d");
      if (mark != std::wstring::npos) line.replace(mark, 2, std::to_wstring(i));
      lines.push_back(std::move(line));
    }
  }
  return lines;
}

std::string ScriptBytes(const std::vector<std::wstring>& lines) {
  std::wstring text(1, 0xFEFF);
  for (const std::wstring& line : lines) text.append(line).append(L"\r\n");
  return text::WideToUtf16Le(text);
}

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Reads, interprets and saves the script on a fresh machine; the seconds it took.
double TimeInterpret(const std::string& bytes, bool logInfo) {
  platform::sim::SimTempFolder folder("tamber4-bench");
  platform::sim::SimMachine machine(folder.path());
  platform::ScopedMachine guard(machine.machine());
  machine.files().MakeFolders(L"C:\\Users\\User\\AppData\\Local\\Tamber4\\Install");
  machine.PutFile(kSource, bytes);
  setup::ResetProcessState();
  if (logInfo) logging::OpenLog(0, true, true);
  setup::SetupState state;
  state.isVistaOrLater = true;
  const setup::SessionServices services = setup::DefaultSessionServices();
  const Clock::time_point start = Clock::now();
  const int status = setup::Interpret(state, {kSource, kWorkingCopy, L""}, services);
  const double seconds = Seconds(start);
  logging::ResetLogForTesting();
  if (status != 0) std::printf("  (unexpected status %d)\n", status);
  return seconds;
}

double TimeParseSerialize(const std::vector<std::wstring>& lines) {
  const Clock::time_point start = Clock::now();
  std::size_t total = 0;
  for (const std::wstring& line : lines) {
    setup::CommandParameters record;
    record.Parse(line);
    total += record.Serialize().size();
  }
  const double seconds = Seconds(start);
  if (total == 0) std::printf("  (nothing serialized)\n");
  return seconds;
}

void Report(const char* what, int lines, double seconds) {
  std::printf("%-38s %7d lines %9.3f s %8.2f us/line\n", what, lines, seconds,
              seconds * 1e6 / lines);
}

}  // namespace

int main() {
  TimeInterpret(ScriptBytes(GenerateLines(1000)), false);  // warm-up, not reported
  for (int count : {10000, 100000}) {
    const std::vector<std::wstring> lines = GenerateLines(count);
    const std::string bytes = ScriptBytes(lines);
    Report("read, interpret, save (logging off)", count, TimeInterpret(bytes, false));
    Report("read, interpret, save (Info logging)", count, TimeInterpret(bytes, true));
    Report("parse and serialize alone", count, TimeParseSerialize(lines));
  }
  return 0;
}
