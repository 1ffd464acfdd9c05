// Files and folders, with the grain and result conventions of the Windows file API:
// operations return a BOOL-like result and leave the reason in the thread's last error
// (CurrentProcess::LastError).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace platform {

struct FindData {
  std::wstring fileName;  // name only, no folder
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
};

class Files {
 public:
  virtual ~Files() = default;

  // CreateFileW. Returns kNoHandle on failure (last error set).
  virtual Handle Create(const std::wstring& path, std::uint32_t access, std::uint32_t share,
                        std::uint32_t disposition, std::uint32_t attributes) = 0;
  // ReadFile / WriteFile on a handle from Create.
  virtual bool Read(Handle file, void* buffer, std::uint32_t bytes, std::uint32_t* bytesRead) = 0;
  virtual bool Write(Handle file, const void* data, std::uint32_t bytes,
                     std::uint32_t* bytesWritten) = 0;
  // GetFileSizeEx.
  virtual bool Size(Handle file, std::uint64_t* size) = 0;
  // SetFilePointerEx to the end of the file.
  virtual bool SeekToEnd(Handle file) = 0;
  // FlushFileBuffers.
  virtual bool Flush(Handle file) = 0;

  // GetFileAttributesW; file::InvalidAttributes when the path does not exist.
  virtual std::uint32_t Attributes(const std::wstring& path) = 0;
  // SetFileAttributesW.
  virtual bool SetAttributes(const std::wstring& path, std::uint32_t attributes) = 0;
  // CreateDirectoryW (one level). Fails with AlreadyExists for an existing folder.
  virtual bool MakeDirectory(const std::wstring& path) = 0;
  // DeleteFileW.
  virtual bool Delete(const std::wstring& path) = 0;
  // CopyFileW.
  virtual bool Copy(const std::wstring& from, const std::wstring& to, bool failIfExists) = 0;
  // MoveFileExW with file::Move* flags.
  virtual bool Move(const std::wstring& from, const std::wstring& to, std::uint32_t flags) = 0;
  // FindFirstFileW / FindNextFileW over a pattern such as "C:\\dir\\*.crvdat".
  // Returns false with FileNotFound when nothing matches.
  virtual bool Find(const std::wstring& pattern, std::vector<FindData>* found) = 0;
  // GetFullPathNameW: an absolute, normalised path.
  virtual bool FullPath(const std::wstring& path, std::wstring* full) = 0;
  // GetTempPathW: the temporary folder with a trailing backslash.
  virtual std::wstring TempPath() = 0;
};

}  // namespace platform
