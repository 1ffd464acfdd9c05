#include "platform/sim/SimShell.h"

namespace platform::sim {
namespace {

constexpr int kFolderMask = 0xFF;  // the CSIDL_FLAG_* bits above it are options

}  // namespace

SimShell::SimShell(SimFiles& files) : files_(files) {
  folders_[csidl::Personal] = L"C:\\Users\\User\\Documents";
  folders_[csidl::LocalAppData] = L"C:\\Users\\User\\AppData\\Local";
  folders_[csidl::ProgramFiles] = L"C:\\Program Files";
  folders_[csidl::System] = L"C:\\Windows\\System32";
}

HResult SimShell::FolderPath(int csidl, std::wstring* path) {
  path->clear();
  const int folder = csidl & kFolderMask;
  auto failure = failures_.find(folder);
  if (failure != failures_.end()) return failure->second;
  auto it = folders_.find(folder);
  if (it == folders_.end()) return hr::InvalidArg;
  const std::uint32_t attributes = files_.Attributes(it->second);
  if (attributes == file::InvalidAttributes || !(attributes & file::AttributeDirectory))
    return hr::Fail;
  *path = it->second;
  return hr::Ok;
}

void SimShell::SetFolder(int csidl, const std::wstring& path) {
  std::wstring folder = path;
  while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  folders_[csidl & kFolderMask] = folder;
  files_.MakeFolders(folder);
}

void SimShell::SetFolderPathFailure(int csidl, HResult result) {
  if (result == hr::Ok) {
    failures_.erase(csidl & kFolderMask);
    return;
  }
  failures_[csidl & kFolderMask] = result;
}

}  // namespace platform::sim
