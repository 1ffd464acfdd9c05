#include "tools/tamber4sim/Tool.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "platform/Machine.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimMachineKeys.h"
#include "platform/sim/SimPath.h"
#include "platform/sim/SimText.h"
#include "setup/session/Tamber4Setup.h"
#include "tools/tamber4sim/HostFile.h"
#include "tools/tamber4sim/LogEcho.h"
#include "tools/tamber4sim/ProgressBar.h"
#include "tools/tamber4sim/RunOutcome.h"
#include "tools/tamber4sim/RunSummary.h"
#include "tools/tamber4sim/SecurityChanges.h"
#include "tools/tamber4sim/WorkingCopies.h"

namespace tamber4sim {
namespace {

namespace fs = std::filesystem;
using platform::sim::SimMachine;
using platform::sim::Utf8ToWide;
using platform::sim::WideToUtf8;

constexpr int kUsageError = 64;
const wchar_t kRunOnceKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::wstring Quoted(const std::wstring& text, bool always) {
  if (!always && text.find(L' ') == std::wstring::npos) return text;
  return L"\"" + text + L"\"";
}

// The script argument: a host file is copied beside the simulated executable.
std::wstring ScriptArgument(SimMachine& m, const std::string& script) {
  std::error_code ec;
  if (!fs::is_regular_file(script, ec)) return Utf8ToWide(script);
  const std::wstring target = platform::sim::ParentPath(m.process().ExePath()) + L"\\" +
                              Utf8ToWide(fs::path(script).filename().string());
  m.PutFile(target, ReadHostFile(script).value_or(std::string()));
  std::printf("tamber4sim: script copied to %s\n", WideToUtf8(target).c_str());
  return target;
}

std::wstring CommandLine(SimMachine& m, const Options& options) {
  std::wstring line = Quoted(m.process().ExePath(), true);
  line += L" " + Quoted(ScriptArgument(m, options.script), false);
  for (const std::string& arg : options.arguments) line += L" " + Quoted(Utf8ToWide(arg), false);
  return line;
}

void PrintBox(const platform::sim::ShownBox& box) {
  static const char* const kAnswers[] = {"(not shown)", "OK", "Cancel", "Abort", "Retry",
                                         "Ignore", "Yes", "No"};
  const char* answer = box.answer >= 0 && box.answer <= 7 ? kAnswers[box.answer] : "?";
  std::printf("tamber4sim: message box '%s': %s -> %s%s\n", WideToUtf8(box.request.title).c_str(),
              WideToUtf8(box.request.text).c_str(), answer, box.defaulted ? " (default)" : "");
  std::fflush(stdout);
}

// The script beside the executable that a working copy was made from, for its line
// numbers; empty when there is none.
std::string ScriptBeside(SimMachine& m, const fs::path& workingCopy) {
  const std::wstring path = platform::sim::ParentPath(m.process().ExePath()) + L"\\" +
                            Utf8ToWide(workingCopy.filename().string());
  return m.FileBytes(path).value_or(std::string());
}

// Runs the bootstrapper with `commandLine`, prints what it did and gathers its outcome.
RunOutcome RunProgram(SimMachine& m, const std::wstring& commandLine) {
  std::printf("tamber4sim: command line %s\n", WideToUtf8(commandLine).c_str());
  std::fflush(stdout);
  m.ui().SetObserver(PrintBox);
  const std::size_t restartsBefore = m.shutdown().Requests().size();
  const std::size_t boxesBefore = m.Boxes().size();
  const MachineSnapshot snapshot(m);
  RunOutcome outcome;
  {
    LogEcho echo(m, stdout);
    WorkingCopies copies(m);
    const ProgressBar progress(m, stdout);  // a foreground download's; Ctrl-C asks to cancel
    const SecurityChanges security(m);
    {
      platform::ScopedMachine guard(m.machine());
      outcome.status = setup::TamberMain(m.process().ExecutableModule(), commandLine);
    }
    for (const fs::path& path : copies.Written()) {
      const std::vector<LineOutcome> lines = LineOutcomes(path, ScriptBeside(m, path), echo.LastProcessedLine());
      PrintLineOutcomes(path, lines, stdout);
      outcome.lines.insert(outcome.lines.end(), lines.begin(), lines.end());
    }
    security.Print(stdout);
  }
  const auto& requests = m.shutdown().Requests();
  for (std::size_t i = restartsBefore; i < requests.size(); ++i) {
    char text[96];
    std::snprintf(text, sizeof text, "flags 0x%X, reason 0x%08X",
                  static_cast<unsigned>(requests[i].flags), static_cast<unsigned>(requests[i].reason));
    std::printf("tamber4sim: Windows restart requested (%s); 'tamber4sim reboot' carries it out\n", text);
    outcome.restarts.push_back(text);
  }
  outcome.boxes.assign(m.Boxes().begin() + static_cast<std::ptrdiff_t>(boxesBefore), m.Boxes().end());
  snapshot.AddChanges(&outcome);
  m.ui().SetObserver(nullptr);
  return outcome;
}

// A new description: the default machine's text, with every key explained.
bool CreateDescription(const fs::path& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  std::ofstream out(folder / "machine.txt", std::ios::binary);
  out << platform::sim::MachineTemplateText();
  return static_cast<bool>(out);
}

// A fresh state folder: a copy of the description.
bool CopyDescription(const fs::path& description, const fs::path& state) {
  std::error_code ec;
  fs::remove_all(state, ec);
  fs::copy(description, state, fs::copy_options::recursive, ec);
  if (ec) std::fprintf(stderr, "tamber4sim: cannot copy %s to %s: %s\n", description.c_str(),
                       state.c_str(), ec.message().c_str());
  return !ec;
}

// Loads the machine in `folder`. Its problems are named as lines of the files in `named`:
// the description a person wrote, of which the state folder is a fresh copy before a run.
std::unique_ptr<SimMachine> LoadMachine(const fs::path& folder, const fs::path& named) {
  std::string error;
  std::unique_ptr<SimMachine> m = SimMachine::Load(folder, &error);
  if (m) return m;
  std::stringstream problems(error);
  for (std::string problem; std::getline(problems, problem);)
    std::fprintf(stderr, "tamber4sim: %s/%s\n", named.c_str(), problem.c_str());
  return m;
}

bool SaveMachine(SimMachine& m, const fs::path& folder) {
  std::string error;
  if (m.Save(folder, &error)) return true;
  std::fprintf(stderr, "tamber4sim: cannot save the machine: %s\n", error.c_str());
  return false;
}

// Writes the outcome as JSON when the options ask for it. False when it cannot be written.
bool WriteJson(const Options& options, const RunOutcome& outcome) {
  if (options.jsonFile.empty()) return true;
  std::ofstream out(options.jsonFile, std::ios::binary);
  out << OutcomeJson(outcome);
  if (out) return true;
  std::fprintf(stderr, "tamber4sim: cannot write %s\n", options.jsonFile.c_str());
  return false;
}

struct RunOnceEntry {
  platform::RegKey root;
  std::wstring name;
  std::wstring commandLine;
};

// The RunOnce entries of the machine, the current user's after the machine's.
std::vector<RunOnceEntry> RunOnceEntries(SimMachine& m) {
  std::vector<RunOnceEntry> entries;
  for (platform::RegKey root : {platform::kHkeyLocalMachine, platform::kHkeyCurrentUser}) {
    const auto* key = m.registry().FindKey(root, kRunOnceKey);
    if (key == nullptr) continue;
    for (const auto& [upper, value] : key->values)
      if (auto text = m.registry().GetString(root, kRunOnceKey, value.name))
        entries.push_back({root, value.name, *text});
  }
  return entries;
}

// The program a command line starts: its first word, or its quoted first part.
std::wstring ProgramOf(const std::wstring& commandLine) {
  if (!commandLine.empty() && commandLine[0] == L'"')
    return commandLine.substr(1, commandLine.find(L'"', 1) - 1);
  return commandLine.substr(0, commandLine.find(L' '));
}

}  // namespace

int RunScript(const Options& options) {
  const fs::path description = fs::absolute(options.machineFolder);
  const fs::path state = fs::absolute(options.stateFolder);
  if (!fs::exists(description)) {
    if (!CreateDescription(description)) return kUsageError;
    std::printf("tamber4sim: new machine description %s/machine.txt (a Windows 10 machine; "
                "edit it to describe yours)\n", description.c_str());
  }
  if (!CopyDescription(description, state)) return kUsageError;
  std::unique_ptr<SimMachine> m = LoadMachine(state, description);
  if (!m) return kUsageError;
  std::printf("tamber4sim: machine %s, state in %s\n", description.c_str(), state.c_str());
  const RunOutcome outcome = RunProgram(*m, CommandLine(*m, options));
  const int status = outcome.status;
  if (!SaveMachine(*m, state) || !WriteJson(options, outcome)) return kUsageError;
  std::printf("tamber4sim: exit code %d\n", status);
  return status;
}

int RebootMachine(const Options& options) {
  const fs::path state = fs::absolute(options.stateFolder);
  if (!fs::exists(state)) {
    std::fprintf(stderr, "tamber4sim: no machine state in %s: run a script first\n", state.c_str());
    return kUsageError;
  }
  std::unique_ptr<SimMachine> m = LoadMachine(state, state);
  if (!m) return kUsageError;
  std::printf("tamber4sim: restarting the machine in %s\n", state.c_str());
  RunOutcome outcome;
  const std::vector<RunOnceEntry> entries = RunOnceEntries(*m);
  if (entries.empty()) std::printf("tamber4sim: no RunOnce entries: nothing runs at logon\n");
  for (const RunOnceEntry& entry : entries) {
    // Windows removes an entry before it runs it, so a failing run does not loop.
    m->registry().MakeKey(entry.root, kRunOnceKey).values.erase(platform::sim::UpperCase(entry.name));
    std::printf("tamber4sim: RunOnce '%s': %s\n", WideToUtf8(entry.name).c_str(),
                WideToUtf8(entry.commandLine).c_str());
    if (platform::sim::EqualsNoCase(ProgramOf(entry.commandLine), m->process().ExePath()))
      outcome = RunProgram(*m, entry.commandLine);
    else
      std::printf("tamber4sim: not this program: started without effect\n");
  }
  if (!SaveMachine(*m, state) || !WriteJson(options, outcome)) return kUsageError;
  std::printf("tamber4sim: exit code %d\n", outcome.status);
  return outcome.status;
}

}  // namespace tamber4sim
