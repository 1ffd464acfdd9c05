// A fresh host folder for a test (in memory where the host allows, see BaseFolder), removed
// with everything in it when the object goes away.
#pragma once

#include <filesystem>
#include <string>

namespace platform::sim {

class SimTempFolder {
 public:
  // Creates a new, empty folder named after `prefix` and a unique suffix.
  explicit SimTempFolder(const std::string& prefix = "tamber4sim");
  ~SimTempFolder();
  SimTempFolder(const SimTempFolder&) = delete;
  SimTempFolder& operator=(const SimTempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace platform::sim
