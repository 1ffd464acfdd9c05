// tamber4sim [run] SCRIPT [--machine DIR] [ARGUMENT...]
// tamber4sim check SCRIPT...
//
// check: the static checks of each script (see ScriptCheck.h); exit code 1 when one has an
// error.
//
// run: runs the bootstrapper on a simulated Windows machine kept in DIR (default
// ./tamber4sim-machine; created with a default machine when missing): a SCRIPT that is a
// file of this host is copied beside the simulated executable and passed by that path;
// anything else (an http/https address, a path inside the machine) is passed as given,
// followed by the ARGUMENTs (such as /quiet). The log is printed as it is written, message
// boxes as they are answered (from the machine's box-answer list, else by default), the
// owners and DACLs the run changed afterwards, the machine is saved, and the exit code is
// the bootstrapper's.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/Machine.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimPath.h"
#include "platform/sim/SimText.h"
#include "setup/session/Tamber4Setup.h"
#include "tools/tamber4sim/CheckCommand.h"
#include "tools/tamber4sim/LogEcho.h"
#include "tools/tamber4sim/SecurityChanges.h"
#include "tools/tamber4sim/WorkingCopies.h"

namespace {

using platform::sim::SimMachine;
using platform::sim::Utf8ToWide;
using platform::sim::WideToUtf8;

constexpr int kUsageError = 64;

struct Options {
  std::string script;
  std::string machineFolder = "tamber4sim-machine";
  std::vector<std::string> arguments;
};

const char kUsage[] =
    "usage: tamber4sim [run] SCRIPT [--machine DIR] [ARGUMENT...]\n"
    "       tamber4sim check SCRIPT...\n"
    "\n"
    "run    runs SCRIPT with the bootstrapper on the simulated machine in DIR\n"
    "       (default ./tamber4sim-machine) and prints the log, the boxes and the outcome\n"
    "check  checks each SCRIPT without running it: commands, parameters, values, blocks,\n"
    "       sections and special folders; exit code 1 when a script has an error\n";

// False on a malformed command line.
bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--machine") {
      if (++i == argc) return false;
      options->machineFolder = argv[i];
    } else if (arg == "--help" || arg == "-h") {
      return false;
    } else if (options->script.empty()) {
      options->script = arg;
    } else {
      options->arguments.push_back(arg);
    }
  }
  return !options->script.empty();
}

std::wstring Quoted(const std::wstring& text, bool always) {
  if (!always && text.find(L' ') == std::wstring::npos) return text;
  return L"\"" + text + L"\"";
}

// The script argument: a host file is copied beside the simulated executable.
std::wstring ScriptArgument(SimMachine& m, const std::string& script) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(script, ec)) return Utf8ToWide(script);
  std::ifstream in(script, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::wstring target = platform::sim::ParentPath(m.process().ExePath()) + L"\\" +
                              Utf8ToWide(std::filesystem::path(script).filename().string());
  m.PutFile(target, bytes);
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

int Run(SimMachine& m, const Options& options) {
  const std::wstring commandLine = CommandLine(m, options);
  std::printf("tamber4sim: command line %s\n", WideToUtf8(commandLine).c_str());
  std::fflush(stdout);
  m.ui().SetObserver(PrintBox);
  tamber4sim::LogEcho echo(m, stdout);
  tamber4sim::WorkingCopies copies(m);
  const tamber4sim::SecurityChanges security(m);
  int status = 0;
  {
    platform::ScopedMachine guard(m.machine());
    status = setup::TamberMain(m.process().ExecutableModule(), commandLine);
  }
  for (const auto& path : copies.Written())
    std::printf("tamber4sim: working copy %s\n", path.string().c_str());
  security.Print(stdout);
  for (const platform::sim::ShutdownRequest& request : m.shutdown().Requests())
    std::printf("tamber4sim: Windows restart requested (flags 0x%X, reason 0x%08X)\n",
                static_cast<unsigned>(request.flags), static_cast<unsigned>(request.reason));
  m.ui().SetObserver(nullptr);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string verb = argc > 1 ? argv[1] : "";
  if (verb == "check") {
    if (argc < 3) {
      std::fputs(kUsage, stderr);
      return kUsageError;
    }
    return tamber4sim::RunCheckCommand(std::vector<std::string>(argv + 2, argv + argc));
  }
  if (verb == "run") {
    --argc;
    ++argv;
  }
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fputs(kUsage, stderr);
    return kUsageError;
  }
  const std::filesystem::path folder = std::filesystem::absolute(options.machineFolder);
  const bool existed = std::filesystem::exists(folder);
  std::string error;
  std::unique_ptr<SimMachine> m = SimMachine::Load(folder, &error);
  if (!m) {
    std::fprintf(stderr, "tamber4sim: cannot load the machine in %s: %s\n", folder.c_str(), error.c_str());
    return kUsageError;
  }
  std::printf("tamber4sim: machine folder %s%s\n", folder.c_str(), existed ? "" : " (new)");
  const int status = Run(*m, options);
  if (!m->Save(folder, &error)) std::fprintf(stderr, "tamber4sim: cannot save the machine: %s\n", error.c_str());
  std::printf("tamber4sim: exit code %d\n", status);
  return status;
}
