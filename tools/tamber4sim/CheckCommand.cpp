#include "tools/tamber4sim/CheckCommand.h"

#include <unistd.h>

#include <cstdio>

#include "setup/engine/CommandTable.h"
#include "tools/tamber4sim/HostFile.h"
#include "tools/tamber4sim/ScriptCheck.h"

namespace tamber4sim {
namespace {

void Print(const std::string& file, const Finding& finding, bool colour) {
  const char* severity = finding.error ? "error" : "warning";
  const char* start = !colour ? "" : finding.error ? "\033[1;31m" : "\033[1;33m";
  const char* end = colour ? "\033[0m" : "";
  if (finding.line > 0)
    std::printf("%s:%d: %s%s%s: %s\n", file.c_str(), finding.line, start, severity, end,
                finding.text.c_str());
  else
    std::printf("%s: %s%s%s: %s\n", file.c_str(), start, severity, end, finding.text.c_str());
}

}  // namespace

int RunCheckCommand(const std::vector<std::string>& files) {
  const bool colour = isatty(fileno(stdout)) != 0;
  int status = 0;
  for (const std::string& file : files) {
    const std::optional<std::string> bytes = ReadHostFile(file);
    if (!bytes) {
      Print(file, {0, true, "cannot be read"}, colour);
      status = 1;
      continue;
    }
    int errors = 0;
    for (const Finding& finding : CheckScript(*bytes, setup::ProgramCommands(), IsMessageTableId)) {
      Print(file, finding, colour);
      errors += finding.error;
    }
    if (errors > 0) status = 1;
  }
  return status;
}

}  // namespace tamber4sim
