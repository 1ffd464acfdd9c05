// Prints how long the interpreter takes to read, run and write back generated scripts of
// 10,000 and 100,000 lines (comments, unknown commands, nested blocks), with logging off and
// with the default Info logging on, on the simulated machine; and the cost of parsing and
// serializing the same lines alone, and the ratio of the two. A second script is full of
// lines that look back at earlier lines (set-special-folder-paths, downloads of the same
// address): its time per line should not grow with the script either.
//
//   tamber4_bench_interpreter [--quick] [--plain] [line count...]
//
// --quick leaves out the runs with Info logging (they take seconds), --plain the script that
// looks back; line counts replace 10,000 and 100,000 (a single small count suits callgrind).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "logging/Log.h"
#include "logging/LogTesting.h"
#include "platform/Machine.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTempFolder.h"
#include "setup/engine/CommandParameters.h"
#include "setup/engine/Interpreter.h"
#include "setup/engine/ScriptFile.h"
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

// Two scripts of lines that look back over the lines before them. One takes over
// background downloads: each block of ten starts a download in the background and takes it
// over in the foreground (every download fetches a small file into the same target: the simulated disk lists a folder to match a name, so a folder of many files would be timed instead). The other is full of
// set-special-folder-paths lines after ten named downloads.
const wchar_t* const kTakeOverBlock[] = {
    L"download|name=F%d|uri=file://C:/Server/f%d.txt|file-path=C:\\Downloads\\f.txt|background=yes",
    L"# taking over %d",
    L"download|name=F%d|uri=file://C:/Server/f%d.txt|file-path=C:\\Downloads\\f.txt",
    L"# taken over %d",
    L"frobnicate|n=%d",
    L"# looking back %d",
    L"# looking back %d",
    L"frobnicate|n=%d",
    L"# looking back %d",
    L"# looking back %d",
};
const wchar_t* const kNamedDownloads[] = {
    L"download|name=N%d|uri=file://C:/Server/f.txt|file-path=C:\\Downloads\\n%d.txt|special-folder-name=N%d",
};
const wchar_t* const kFolderPathsBlock[] = {
    L"set-special-folder-paths",
    L"# looking back %d",
    L"set-special-folder-paths",
    L"frobnicate|n=%d",
    L"set-special-folder-paths",
    L"# looking back %d",
    L"set-special-folder-paths",
    L"frobnicate|n=%d",
    L"set-special-folder-paths",
    L"# looking back %d",
};

template <std::size_t N>
std::vector<std::wstring> GenerateLines(int count, const wchar_t* const (&block)[N]) {
  std::vector<std::wstring> lines;
  lines.reserve(static_cast<std::size_t>(count));
  for (int i = 0; static_cast<int>(lines.size()) < count; ++i) {
    for (const wchar_t* pattern : block) {
      if (static_cast<int>(lines.size()) == count) break;
      std::wstring line = pattern;
      for (std::size_t mark; (mark = line.find(L"%d")) != std::wstring::npos;)
        line.replace(mark, 2, std::to_wstring(i));
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
  machine.files().MakeFolders(L"C:\\Server");
  machine.PutFile(L"C:\\Server\\f.txt", "f");
  for (int i = 0; i < 1000; ++i)  // the take-over script's files
    machine.PutFile(L"C:\\Server\\f" + std::to_wstring(i) + L".txt", "f");
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

// Reading the script file into lines and writing them back, without running them: the part
// of the interpreter's time that is file and encoding work.
double TimeReadSave(const std::string& bytes) {
  platform::sim::SimTempFolder folder("tamber4-bench");
  platform::sim::SimMachine machine(folder.path());
  platform::ScopedMachine guard(machine.machine());
  machine.files().MakeFolders(L"C:\\Users\\User\\AppData\\Local\\Tamber4\\Install");
  machine.PutFile(kSource, bytes);
  const Clock::time_point start = Clock::now();
  setup::Script script;
  script.lines = *setup::ReadScriptLines(kSource, L"");
  setup::SaveCommands(script, kWorkingCopy);
  return Seconds(start);
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
  std::printf("%-38s %7d lines %9.3f s %8.2f us/line %10.0f lines/s\n", what, lines, seconds,
              seconds * 1e6 / lines, lines / seconds);
}

// The interpreter's run of `lines` with logging off, against parsing and serializing them.
void MeasureScript(const char* what, const std::vector<std::wstring>& lines, bool withInfo) {
  const int count = static_cast<int>(lines.size());
  const std::string bytes = ScriptBytes(lines);
  const double interpret = TimeInterpret(bytes, false);
  Report(what, count, interpret);
  if (withInfo) Report("  same, with Info logging", count, TimeInterpret(bytes, true));
  Report("  of which reading and saving", count, TimeReadSave(bytes));
  const double alone = TimeParseSerialize(lines);
  Report("  parse and serialize alone", count, alone);
  std::printf("  ratio to parse and serialize: %.2fx\n", interpret / alone);
}

}  // namespace

int main(int argc, char** argv) {
  bool quick = false, plain = false;
  std::vector<int> counts;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) quick = true;
    else if (std::strcmp(argv[i], "--plain") == 0) plain = true;
    else counts.push_back(std::atoi(argv[i]));
  }
  if (counts.empty()) counts = {10000, 100000};
  TimeInterpret(ScriptBytes(GenerateLines(1000, kBlock)), false);  // warm-up, not reported
  for (int count : counts)
    MeasureScript("read, interpret, save (logging off)", GenerateLines(count, kBlock), !quick);
  for (int count : plain ? std::vector<int>() : counts)
    MeasureScript("download take-overs (logging off)", GenerateLines(count / 10, kTakeOverBlock), false);
  for (int count : plain ? std::vector<int>() : counts) {
    std::vector<std::wstring> lines = GenerateLines(10, kNamedDownloads);
    for (std::wstring& line : GenerateLines(count / 10 - 10, kFolderPathsBlock)) lines.push_back(std::move(line));
    MeasureScript("set-special-folder-paths (logging off)", lines, false);
  }
  return 0;
}
