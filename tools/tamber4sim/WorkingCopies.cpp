#include "tools/tamber4sim/WorkingCopies.h"

#include <system_error>

namespace tamber4sim {

WorkingCopies::WorkingCopies(platform::sim::SimMachine& machine) {
  std::wstring localAppData;
  machine.shell().FolderPath(platform::csidl::LocalAppData, &localAppData);
  if (!localAppData.empty())
    folder_ = machine.files().HostPath(localAppData + L"\\Tamber4\\Install");
  before_ = Snapshot();
}

std::map<std::filesystem::path, WorkingCopies::Stamp> WorkingCopies::Snapshot() const {
  std::map<std::filesystem::path, Stamp> files;
  std::error_code ec;
  if (folder_.empty()) return files;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, ec)) {
    if (!entry.is_regular_file(ec)) continue;
    files[entry.path()] = {entry.last_write_time(ec), entry.file_size(ec)};
  }
  return files;
}

std::vector<std::filesystem::path> WorkingCopies::Written() const {
  std::vector<std::filesystem::path> written;
  for (const auto& [path, stamp] : Snapshot()) {
    auto it = before_.find(path);
    if (it == before_.end() || it->second != stamp) written.push_back(path);
  }
  return written;
}

}  // namespace tamber4sim
