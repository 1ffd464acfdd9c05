// The working copies a run writes: the files of the simulated LocalAppData folder's
// "Tamber4\Install" that are new or changed after the run.
#pragma once

#include <filesystem>
#include <map>
#include <utility>
#include <vector>

#include "platform/sim/SimMachine.h"

namespace tamber4sim {

class WorkingCopies {
 public:
  // Notes the folder's files as they are before the run.
  explicit WorkingCopies(platform::sim::SimMachine& machine);
  // Host paths of the files written since, in name order.
  std::vector<std::filesystem::path> Written() const;

 private:
  using Stamp = std::pair<std::filesystem::file_time_type, std::uintmax_t>;
  std::map<std::filesystem::path, Stamp> Snapshot() const;

  std::filesystem::path folder_;
  std::map<std::filesystem::path, Stamp> before_;
};

}  // namespace tamber4sim
