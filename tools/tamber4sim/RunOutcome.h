// What a run did, for CI: its status, each line's result, the boxes it showed, the restarts
// it asked for, and the files and registry values it changed, written as JSON by --json.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/sim/SimMachine.h"

namespace tamber4sim {

struct LineOutcome {
  std::string copy;  // the working copy's file name
  int line = 0;      // in the script file when known, else in the working copy
  std::string command;
  std::string result;  // empty when the line did not run, or stopped the run before it got one
  bool stoppedRun = false;  // the run stopped at this line, which got no result
};

struct RunOutcome {
  int status = 0;
  std::vector<LineOutcome> lines;
  std::vector<platform::sim::ShownBox> boxes;
  std::vector<std::string> restarts;
  std::vector<std::string> filesChanged;     // Windows paths, added or changed
  std::vector<std::string> registryChanged;  // "KEY\\name", added, changed or removed
};

// The machine's files and registry values before a run, to tell what it changed.
class MachineSnapshot {
 public:
  explicit MachineSnapshot(platform::sim::SimMachine& machine);
  // Fills the outcome's changed files and registry values.
  void AddChanges(RunOutcome* outcome) const;

 private:
  using FileStamps = std::map<std::filesystem::path, std::pair<std::filesystem::file_time_type, std::uintmax_t>>;
  FileStamps Files() const;
  std::map<std::string, std::string> Values() const;

  platform::sim::SimMachine& machine_;
  FileStamps files_;
  std::map<std::string, std::string> values_;
};

// The outcome as one JSON object.
std::string OutcomeJson(const RunOutcome& outcome);

}  // namespace tamber4sim
