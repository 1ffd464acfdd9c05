#include "platform/sim/SimTempFolder.h"

#include <stdlib.h>
#include <unistd.h>

#include <system_error>

namespace platform::sim {
namespace {

// Where the folders go: $TAMBER4_SIM_TEMP when set, else the memory file system when there
// is one (creating and removing folders on a disk mounted with "discard" takes
// milliseconds each, and every test makes a dozen), else the system's temporary folder.
std::filesystem::path BaseFolder() {
  if (const char* chosen = ::getenv("TAMBER4_SIM_TEMP")) return chosen;
  std::error_code ec;
  if (std::filesystem::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0)
    return "/dev/shm";
  return std::filesystem::temp_directory_path(ec);
}

}  // namespace

SimTempFolder::SimTempFolder(const std::string& prefix) {
  std::string pattern = (BaseFolder() / (prefix + "-XXXXXX")).string();
  // mkdtemp makes the folder atomically with a name no other process holds.
  if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

SimTempFolder::~SimTempFolder() {
  if (path_.empty()) return;
  std::error_code ec;
  // Read-only files and folders must be writable again before they can be removed.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

}  // namespace platform::sim
