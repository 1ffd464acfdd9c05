// Files and folders over the Windows file API. Every call passes Windows' result and last
// error through unchanged.
#include <windows.h>

#include "platform/Files.h"
#include "platform/win32/ScopedResource.h"
#include "platform/win32/Win32Services.h"

namespace platform::win32 {
namespace {

HANDLE ToHandle(Handle file) { return reinterpret_cast<HANDLE>(file); }

FindData ToFindData(const WIN32_FIND_DATAW& data) {
  FindData found;
  found.fileName = data.cFileName;
  found.attributes = data.dwFileAttributes;
  found.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return found;
}

class FilesApi final : public Files {
 public:
  Handle Create(const std::wstring& path, std::uint32_t access, std::uint32_t share,
                std::uint32_t disposition, std::uint32_t attributes) override {
    HANDLE file =
        ::CreateFileW(path.c_str(), access, share, nullptr, disposition, attributes, nullptr);
    return file == INVALID_HANDLE_VALUE ? kNoHandle : reinterpret_cast<Handle>(file);
  }

  bool Read(Handle file, void* buffer, std::uint32_t bytes, std::uint32_t* bytesRead) override {
    DWORD done = 0;
    const BOOL ok = ::ReadFile(ToHandle(file), buffer, bytes, &done, nullptr);
    if (bytesRead != nullptr) *bytesRead = done;
    return ok != FALSE;
  }

  bool Write(Handle file, const void* data, std::uint32_t bytes,
             std::uint32_t* bytesWritten) override {
    DWORD done = 0;
    const BOOL ok = ::WriteFile(ToHandle(file), data, bytes, &done, nullptr);
    if (bytesWritten != nullptr) *bytesWritten = done;
    return ok != FALSE;
  }

  bool Size(Handle file, std::uint64_t* size) override {
    LARGE_INTEGER value{};
    if (!::GetFileSizeEx(ToHandle(file), &value)) return false;
    *size = static_cast<std::uint64_t>(value.QuadPart);
    return true;
  }

  bool SeekToEnd(Handle file) override {
    LARGE_INTEGER zero{};
    return ::SetFilePointerEx(ToHandle(file), zero, nullptr, FILE_END) != FALSE;
  }

  bool Flush(Handle file) override { return ::FlushFileBuffers(ToHandle(file)) != FALSE; }


  std::uint32_t Attributes(const std::wstring& path) override {
    return ::GetFileAttributesW(path.c_str());
  }

  bool SetAttributes(const std::wstring& path, std::uint32_t attributes) override {
    return ::SetFileAttributesW(path.c_str(), attributes) != FALSE;
  }

  bool MakeDirectory(const std::wstring& path) override {
    return ::CreateDirectoryW(path.c_str(), nullptr) != FALSE;
  }

  bool Delete(const std::wstring& path) override { return ::DeleteFileW(path.c_str()) != FALSE; }

  bool Copy(const std::wstring& from, const std::wstring& to, bool failIfExists) override {
    return ::CopyFileW(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != FALSE;
  }

  bool Move(const std::wstring& from, const std::wstring& to, std::uint32_t flags) override {
    return ::MoveFileExW(from.c_str(), to.c_str(), flags) != FALSE;
  }

  bool Find(const std::wstring& pattern, std::vector<FindData>* found) override {
    found->clear();
    WIN32_FIND_DATAW data;
    const ScopedFindHandle search(::FindFirstFileW(pattern.c_str(), &data));
    if (!search.Valid()) return false;
    do {
      found->push_back(ToFindData(data));
    } while (::FindNextFileW(search.Get(), &data));
    // The listing ends with "no more files"; any other reason is a failure of the search.
    return ::GetLastError() == ERROR_NO_MORE_FILES;
  }

  bool FullPath(const std::wstring& path, std::wstring* full) override {
    DWORD capacity = MAX_PATH;
    for (;;) {
      std::wstring buffer(capacity, L'\0');
      const DWORD length = ::GetFullPathNameW(path.c_str(), capacity, buffer.data(), nullptr);
      if (length == 0) return false;
      if (length < capacity) {
        buffer.resize(length);
        *full = std::move(buffer);
        return true;
      }
      capacity = length;  // too small: Windows told the size it needs, terminator included
    }
  }

  std::wstring TempPath() override {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) return std::wstring();
    return std::wstring(buffer, length);
  }
};

}  // namespace

Files& Win32Files() {
  static FilesApi files;
  return files;
}

}  // namespace platform::win32
