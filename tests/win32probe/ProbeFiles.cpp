// Files and folders in a fresh folder under the temporary folder, removed afterwards.
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "Probe.h"
#include "platform/CurrentProcess.h"
#include "platform/Files.h"
#include "platform/KernelObjects.h"
#include "platform/Machine.h"

namespace probe {
namespace {

namespace err = platform::err;
namespace file = platform::file;
using platform::Handle;

// A file handle, closed at the end of the scope (the probe checks the close itself).
struct ScopedHandle {
  Handle handle = platform::kNoHandle;
  explicit ScopedHandle(Handle h) : handle(h) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() { Close(); }
  bool Close() {
    if (handle == platform::kNoHandle) return true;
    return platform::kernel().Close(std::exchange(handle, platform::kNoHandle));
  }
};

// A call's result with the last error read right after it (the argument is evaluated first).
struct Outcome {
  bool ok;
  platform::Win32Error error;
};
Outcome After(bool ok) { return Outcome{ok, platform::process().LastError()}; }

Handle Open(const std::wstring& path, std::uint32_t access, std::uint32_t share,
            std::uint32_t disposition) {
  return platform::files().Create(path, access, share, disposition, file::AttributeNormal);
}

std::wstring ReadAll(const std::wstring& path) {
  ScopedHandle input(Open(path, file::GenericRead, file::ShareRead, file::OpenExisting));
  char buffer[64] = {};
  std::uint32_t read = 0;
  if (!platform::files().Read(input.handle, buffer, sizeof buffer, &read)) return L"<failed>";
  return std::wstring(buffer, buffer + read);
}

bool WriteText(Handle handle, const std::string& text) {
  std::uint32_t written = 0;
  return platform::files().Write(handle, text.data(), static_cast<std::uint32_t>(text.size()),
                                 &written) &&
         written == text.size();
}

void ProbeCreateAndWrite(const std::wstring& path) {
  auto& files = platform::files();
  ScopedHandle output(Open(path, file::GenericWrite, file::ShareNone, file::CreateNew));
  if (!Check("files: Create a new file", output.handle != platform::kNoHandle)) return;
  const Outcome shared = After(Open(path, file::GenericRead, file::ShareRead, file::OpenExisting) ==
                               platform::kNoHandle);
  Check("files: opening a file held without sharing gives SharingViolation",
        shared.ok && shared.error == err::SharingViolation, Hex(shared.error));
  Check("files: Write", WriteText(output.handle, "abc"));
  std::uint64_t size = 0;
  const bool sized = files.Size(output.handle, &size);
  Check("files: Size after writing", sized && size == 3, std::to_wstring(size));
  Check("files: Flush", files.Flush(output.handle));
  Check("files: Close", output.Close());
  const Outcome again = After(Open(path, file::GenericWrite, file::ShareNone, file::CreateNew) ==
                              platform::kNoHandle);
  Check("files: Create new over an existing file gives FileExists",
        again.ok && again.error == err::FileExists, Hex(again.error));
}

void ProbeAppendAndRead(const std::wstring& path) {
  auto& files = platform::files();
  {
    ScopedHandle output(Open(path, file::GenericWrite, file::ShareRead, file::OpenAlways));
    Check("files: SeekToEnd then Write appends",
          files.SeekToEnd(output.handle) && WriteText(output.handle, "def"));
  }
  const std::wstring content = ReadAll(path);
  Check("files: Read returns what was written", content == L"abcdef", content);
}

void ProbeAttributes(const std::wstring& folder, const std::wstring& path) {
  auto& files = platform::files();
  const std::uint32_t fileAttributes = files.Attributes(path);
  Check(
      "files: Attributes of a file",
      fileAttributes != file::InvalidAttributes && (fileAttributes & file::AttributeDirectory) == 0,
      Hex(fileAttributes));
  const std::uint32_t folderAttributes = files.Attributes(folder);
  Check("files: Attributes of a folder",
        folderAttributes != file::InvalidAttributes &&
            (folderAttributes & file::AttributeDirectory) != 0,
        Hex(folderAttributes));
  const Outcome missing =
      After(files.Attributes(folder + L"\\missing.txt") == file::InvalidAttributes);
  Check("files: Attributes of a missing file is invalid with FileNotFound",
        missing.ok && missing.error == err::FileNotFound, Hex(missing.error));
}

void ProbeCopyAndMove(const std::wstring& folder, const std::wstring& path) {
  auto& files = platform::files();
  const std::wstring copy = folder + L"\\copy.txt";
  const std::wstring moved = folder + L"\\moved.txt";
  Check("files: Copy", files.Copy(path, copy, true) && ReadAll(copy) == L"abcdef");
  const Outcome copyOver = After(!files.Copy(path, copy, true));
  Check("files: Copy failing if the target exists gives FileExists",
        copyOver.ok && copyOver.error == err::FileExists, Hex(copyOver.error));
  {
    ScopedHandle target(Open(moved, file::GenericWrite, file::ShareNone, file::CreateAlways));
    WriteText(target.handle, "old");
  }
  const Outcome moveOver = After(!files.Move(copy, moved, 0));
  Check("files: Move without replace onto an existing file gives AlreadyExists",
        moveOver.ok && moveOver.error == err::AlreadyExists, Hex(moveOver.error));
  Check("files: Move with replace overwrites the target",
        files.Move(copy, moved, file::MoveReplaceExisting) && ReadAll(moved) == L"abcdef" &&
            files.Attributes(copy) == file::InvalidAttributes);
}

void ProbeFind(const std::wstring& folder) {
  auto& files = platform::files();
  std::vector<platform::FindData> found;
  const bool any = files.Find(folder + L"\\*.txt", &found);
  std::vector<std::wstring> names;
  for (const auto& entry : found) names.push_back(entry.fileName);
  std::sort(names.begin(), names.end());
  const bool sizesRight = std::all_of(found.begin(), found.end(), [](const auto& entry) {
    return entry.size == 6 && (entry.attributes & file::AttributeDirectory) == 0;
  });
  Check("files: Find lists the matching files with their sizes",
        any && names == std::vector<std::wstring>{L"data.txt", L"moved.txt"} && sizesRight,
        std::to_wstring(found.size()) + L" found");
  const Outcome none = After(!files.Find(folder + L"\\*.none", &found));
  Check("files: Find with no match fails with FileNotFound",
        none.ok && found.empty() && none.error == err::FileNotFound, Hex(none.error));
}

void ProbePaths(const std::wstring& folder) {
  auto& files = platform::files();
  std::wstring full;
  const bool normalised = files.FullPath(folder + L"\\sub\\..\\.\\data.txt", &full);
  Check("files: FullPath normalises dots", normalised && full == folder + L"\\data.txt", full);
  const std::wstring longPath = folder + L"\\" + std::wstring(300, L'x');
  const bool lengthy = files.FullPath(longPath, &full);
  Check("files: FullPath of a path longer than MAX_PATH", lengthy && full == longPath,
        std::to_wstring(full.size()) + L" characters");
}

void RemoveProbeFolder(const std::wstring& folder) {
  for (const wchar_t* name : {L"data.txt", L"copy.txt", L"moved.txt"})
    ::DeleteFileW((folder + L"\\" + name).c_str());
  ::RemoveDirectoryW(folder.c_str());
}

void ProbeFolder(const std::wstring& folder) {
  auto& files = platform::files();
  Check("files: MakeDirectory", files.MakeDirectory(folder), folder);
  const Outcome again = After(!files.MakeDirectory(folder));
  Check("files: MakeDirectory of an existing folder gives AlreadyExists",
        again.ok && again.error == err::AlreadyExists, Hex(again.error));
}

void ProbeDelete(const std::wstring& path) {
  auto& files = platform::files();
  Check("files: Delete", files.Delete(path) && files.Attributes(path) == file::InvalidAttributes);
  const Outcome again = After(!files.Delete(path));
  Check("files: Delete of a missing file gives FileNotFound",
        again.ok && again.error == err::FileNotFound, Hex(again.error));
}

}  // namespace

void ProbeFiles() {
  auto& files = platform::files();
  const std::wstring temp = files.TempPath();
  Check("files: TempPath ends with a backslash and exists",
        !temp.empty() && temp.back() == L'\\' &&
            (files.Attributes(temp) & file::AttributeDirectory) != 0,
        temp);
  std::wstring folder;
  files.FullPath(temp + L"Tamber4Probe-" + std::to_wstring(::GetCurrentProcessId()), &folder);
  RemoveProbeFolder(folder);
  ProbeFolder(folder);
  const std::wstring path = folder + L"\\data.txt";
  ProbeCreateAndWrite(path);
  ProbeAppendAndRead(path);
  ProbeAttributes(folder, path);
  ProbeCopyAndMove(folder, path);
  ProbeFind(folder);
  ProbePaths(folder);
  ProbeDelete(path);
  RemoveProbeFolder(folder);
}

}  // namespace probe
