// The simulated file system: Windows paths on host folders. Drive C of a machine rooted at
// ROOT is ROOT/C (or ROOT/drive_c for a machine folder); names are resolved without regard
// to case against what exists, and share modes, dispositions, the read-only attribute and
// the error codes follow the Windows file API. Two simplifications: deleting a file that is
// open with delete sharing removes its name at once (Windows keeps it until the last handle
// closes), and wildcards do not match the short 8.3 names of long names.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Files.h"
#include "platform/sim/SimObjects.h"
#include "platform/sim/SimPath.h"
#include "platform/sim/SimProcess.h"

namespace platform::sim {

// How drive folders are named under the machine's root.
enum class DriveNaming {
  Letter,  // ROOT/C
  Wine,    // ROOT/drive_c
};

class SimFiles : public Files {
 public:
  static constexpr int kAlways = -1;
  static constexpr const wchar_t* kDefaultTempPath = L"C:\\Users\\User\\AppData\\Local\\Temp\\";

  // Maps drive C (created when missing) and every drive folder already under `root`. Open
  // files are objects of `objects`, closed by KernelObjects::Close.
  SimFiles(SimProcess& process, SimObjectTable& objects, std::filesystem::path root,
           DriveNaming naming);
  SimFiles(const SimFiles&) = delete;
  SimFiles& operator=(const SimFiles&) = delete;

  Handle Create(const std::wstring& path, std::uint32_t access, std::uint32_t share,
                std::uint32_t disposition, std::uint32_t attributes) override;
  bool Read(Handle file, void* buffer, std::uint32_t bytes, std::uint32_t* bytesRead) override;
  bool Write(Handle file, const void* data, std::uint32_t bytes,
             std::uint32_t* bytesWritten) override;
  bool Size(Handle file, std::uint64_t* size) override;
  bool SeekToEnd(Handle file) override;
  bool Flush(Handle file) override;
  // CreateFileW and CloseHandle at once, for the simulated services that only need to know
  // whether a file opens (or to create it): false with the open's last error.
  bool OpenAndClose(const std::wstring& path, std::uint32_t access, std::uint32_t share,
                    std::uint32_t disposition);
  std::uint32_t Attributes(const std::wstring& path) override;
  // Only the read-only attribute is kept; the others are accepted and dropped.
  bool SetAttributes(const std::wstring& path, std::uint32_t attributes) override;
  bool MakeDirectory(const std::wstring& path) override;
  bool Delete(const std::wstring& path) override;
  bool Copy(const std::wstring& from, const std::wstring& to, bool failIfExists) override;
  bool Move(const std::wstring& from, const std::wstring& to, std::uint32_t flags) override;
  bool Find(const std::wstring& pattern, std::vector<FindData>* found) override;
  bool FullPath(const std::wstring& path, std::wstring* full) override;
  std::wstring TempPath() override { return tempPath_; }

  // --- Drives, folders and host paths.
  const std::filesystem::path& Root() const { return root_; }
  DriveNaming Naming() const { return naming_; }
  // Maps a drive letter to its folder under the root, creating the folder.
  void AddDrive(wchar_t letter);
  std::vector<wchar_t> Drives() const;
  std::filesystem::path DriveFolder(wchar_t letter) const;
  // The current directory: the one set, else the executable's folder.
  void SetCurrentFolder(const std::wstring& fullPath) { currentDirectory_ = fullPath; }
  std::wstring CurrentFolder() const;
  const std::optional<std::wstring>& CurrentFolderSetting() const { return currentDirectory_; }
  // GetTempPathW's answer; a trailing backslash is added when missing.
  void SetTempPath(const std::wstring& path);
  // The host path of a Windows path: existing names as they are on the host, the others
  // as given. Empty when the path is on no mapped drive.
  std::filesystem::path HostPath(const std::wstring& path) const;

  // --- Direct access for tests (no share modes, no injected failures).
  // Writes a whole file, creating its folders (and its drive when it is not mapped).
  void PutFile(const std::wstring& path, std::string_view bytes);
  // The whole content of a file; empty when it does not exist.
  std::optional<std::string> FileBytes(const std::wstring& path) const;
  // Creates a folder and its parents (and its drive when it is not mapped).
  void MakeFolders(const std::wstring& path);
  void SetReadOnly(const std::wstring& path, bool readOnly);
  // Handles the logic has open now (for leak checks).
  std::size_t OpenHandleCount() const;

  // --- Injected failures.
  // The next `times` operations that open, create, delete, copy or move `path` (any of
  // its forms) fail with `error`; kAlways keeps failing until ClearFailures.
  void FailPath(const std::wstring& path, Win32Error error, int times = kAlways);
  // The next `times` WriteFile calls on `path` (or on any file when `path` is empty)
  // fail with `error` (for example 112, disk full) and write nothing.
  void FailWrites(const std::wstring& path, Win32Error error, int times = kAlways);
  // Another program opens `path` (created when missing) with the given access and sharing
  // and keeps it open until ReleaseOtherProgram: the share modes then apply to every open.
  Handle HoldOpenByOtherProgram(const std::wstring& path,
                                std::uint32_t access = file::GenericRead | file::GenericWrite,
                                std::uint32_t share = file::ShareNone);
  void ReleaseOtherProgram(Handle hold);
  void ClearFailures();

  // --- Observation: called after every successful WriteFile with the file's full path.
  using WriteObserver = std::function<void(const std::wstring& path, std::string_view bytes)>;
  void SetWriteObserver(WriteObserver observer) { writeObserver_ = std::move(observer); }

 private:
  struct Location;
  struct OpenFile;
  struct Failure {
    Win32Error error = 0;
    int remaining = 0;
  };

  Win32Error Locate(const std::wstring& path, Location* where) const;
  Win32Error LocateExisting(const std::wstring& path, Location* where) const;
  bool ResolveNames(const DrivePath& parts, Location* where) const;
  bool Fail(Win32Error error);
  Handle FailHandle(Win32Error error);
  Win32Error CreateRefusal(const Location& where, std::uint32_t access, std::uint32_t share,
                           std::uint32_t disposition) const;
  bool TakeFailure(std::map<std::wstring, Failure>* failures, const std::wstring& key,
                   Win32Error* error);
  bool PathFails(const std::wstring& fullPath);
  bool SharingAllows(const Location& where, std::uint32_t access, std::uint32_t share) const;
  bool SharesDelete(const Location& where) const;
  OpenFile* Entry(Handle file);
  Handle OpenHandle(const Location& where, std::uint32_t access, std::uint32_t share,
                    std::uint32_t disposition, std::uint32_t attributes, bool foreign);
  bool CopyChecked(const Location& from, const Location& to);
  bool CheckMoveTarget(const Location& from, const Location& to, std::uint32_t flags);
  bool MoveAcrossDrives(const Location& from, const Location& to, std::uint32_t flags);
  void ListMatches(const Location& folder, const std::wstring& pattern, bool withDots,
                   std::vector<FindData>* found) const;

  SimProcess& process_;
  SimObjectTable& objects_;
  std::filesystem::path root_;
  DriveNaming naming_;
  std::map<wchar_t, std::filesystem::path> drives_;
  std::optional<std::wstring> currentDirectory_;
  std::wstring tempPath_ = kDefaultTempPath;
  std::map<Handle, std::shared_ptr<OpenFile>> foreign_;  // held by "another program"
  std::map<std::wstring, Failure> pathFailures_;   // by upper-case full path
  std::map<std::wstring, Failure> writeFailures_;  // by upper-case full path; "" = any
  WriteObserver writeObserver_;
};

}  // namespace platform::sim
