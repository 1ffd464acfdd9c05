#include "tools/tamber4sim/RunOutcome.h"

#include <cstdio>
#include <system_error>

#include "platform/sim/SimText.h"

namespace tamber4sim {
namespace {

namespace fs = std::filesystem;
using platform::sim::WideToUtf8;

std::string JsonText(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string JsonList(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + JsonText(items[i]);
  return out + "]";
}

}  // namespace

MachineSnapshot::MachineSnapshot(platform::sim::SimMachine& machine)
    : machine_(machine), files_(Files()), values_(Values()) {}

MachineSnapshot::FileStamps MachineSnapshot::Files() const {
  FileStamps files;
  std::error_code ec;
  for (wchar_t letter : machine_.files().Drives()) {
    const fs::path drive = machine_.files().DriveFolder(letter);
    for (auto it = fs::recursive_directory_iterator(drive, ec); !ec && it != fs::end(it); it.increment(ec))
      if (it->is_regular_file(ec)) files[it->path()] = {it->last_write_time(ec), it->file_size(ec)};
  }
  return files;
}

std::map<std::string, std::string> MachineSnapshot::Values() const {
  std::map<std::string, std::string> values;
  machine_.registry().Visit([&](platform::RegKey root, const std::wstring& path,
                                const platform::sim::SimRegistry::Key& key) {
    const std::wstring name = platform::sim::SimRegistry::RootName(root) + (L"\\" + path);
    for (const auto& [upper, value] : key.values)
      values[WideToUtf8(name + L"\\" + value.name)] =
          std::to_string(value.type) + ":" + std::string(value.data.begin(), value.data.end());
  });
  return values;
}

void MachineSnapshot::AddChanges(RunOutcome* outcome) const {
  for (const auto& [path, stamp] : Files()) {
    auto before = files_.find(path);
    if (before != files_.end() && before->second == stamp) continue;
    for (wchar_t letter : machine_.files().Drives()) {
      const fs::path relative = path.lexically_relative(machine_.files().DriveFolder(letter));
      if (relative.empty() || *relative.begin() == "..") continue;
      std::string windows = std::string(1, static_cast<char>(letter)) + ":";
      for (const fs::path& part : relative) windows += "\\" + part.string();
      outcome->filesChanged.push_back(windows);
    }
  }
  const std::map<std::string, std::string> after = Values();
  for (const auto& [name, data] : after) {
    auto before = values_.find(name);
    if (before == values_.end() || before->second != data) outcome->registryChanged.push_back(name);
  }
  for (const auto& [name, data] : values_)
    if (after.count(name) == 0) outcome->registryChanged.push_back(name);
}

std::string OutcomeJson(const RunOutcome& o) {
  std::string out = "{\n  \"status\": " + std::to_string(o.status) + ",\n  \"lines\": [";
  for (std::size_t i = 0; i < o.lines.size(); ++i) {
    const LineOutcome& l = o.lines[i];
    out += std::string(i ? "," : "") + "\n    {\"copy\": " + JsonText(l.copy) +
           ", \"line\": " + std::to_string(l.line) + ", \"command\": " + JsonText(l.command) +
           ", \"result\": " + JsonText(l.result) + (l.stoppedRun ? ", \"stoppedRun\": true}" : "}");
  }
  out += "],\n  \"boxes\": [";
  for (std::size_t i = 0; i < o.boxes.size(); ++i) {
    const platform::sim::ShownBox& b = o.boxes[i];
    out += std::string(i ? "," : "") + "\n    {\"title\": " + JsonText(WideToUtf8(b.request.title)) +
           ", \"text\": " + JsonText(WideToUtf8(b.request.text)) +
           ", \"answer\": " + std::to_string(b.answer) + "}";
  }
  out += "],\n  \"restarts\": " + JsonList(o.restarts) + ",\n  \"filesChanged\": " +
         JsonList(o.filesChanged) + ",\n  \"registryChanged\": " + JsonList(o.registryChanged) +
         "\n}\n";
  return out;
}

}  // namespace tamber4sim
