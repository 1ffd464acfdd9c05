#include "platform/sim/SimFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/sim/SimErrors.h"
#include "platform/sim/SimText.h"

namespace fs = std::filesystem;

namespace platform::sim {
namespace {

// Windows refuses longer paths (MAX_PATH with its terminator) unless they start with "\\?\",
// and folder paths that leave no room for an 8.3 name.
constexpr std::size_t kMaxFolderPath = 248;

constexpr std::uint32_t kReadRights = file::GenericRead | 0x20000000u /*GENERIC_EXECUTE*/ |
                                      0x10000000u /*GENERIC_ALL*/ | 0x1 /*FILE_READ_DATA*/ |
                                      0x20 /*FILE_EXECUTE*/;
constexpr std::uint32_t kWriteRights = file::GenericWrite | 0x10000000u | 0x2 /*WRITE_DATA*/ |
                                       0x4 /*APPEND_DATA*/;
constexpr std::uint32_t kDeleteRights = 0x10000u /*DELETE*/ | 0x10000000u;
constexpr std::uint32_t kMoveCopyAllowed = 0x2;

bool Reads(std::uint32_t access) { return (access & kReadRights) != 0; }
bool Writes(std::uint32_t access) { return (access & kWriteRights) != 0; }
bool Deletes(std::uint32_t access) { return (access & kDeleteRights) != 0; }

std::string HostName(const std::wstring& name) { return WideToUtf8(name); }

bool IsReadOnlyOnHost(const fs::path& host) {
  struct stat st {};
  return ::stat(host.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

void SetReadOnlyOnHost(const fs::path& host, bool readOnly) {
  std::error_code ec;
  const auto writeBits = fs::perms::owner_write | fs::perms::group_write;
  fs::permissions(host, writeBits, readOnly ? fs::perm_options::remove : fs::perm_options::add, ec);
}

std::uint32_t AttributesOf(const fs::path& host, bool isFolder) {
  if (isFolder) return file::AttributeDirectory;
  return 0x20 /*ARCHIVE*/ | (IsReadOnlyOnHost(host) ? file::AttributeReadOnly : 0);
}

// The entry of host folder `dir` whose name equals `name` without regard to case, the
// exact spelling first; false when there is none.
bool MatchEntry(const fs::path& dir, const std::wstring& name, fs::path* entryPath) {
  std::error_code ec;
  const fs::path exact = dir / HostName(name);
  if (fs::exists(fs::symlink_status(exact, ec))) {
    *entryPath = exact;
    return true;
  }
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    if (EqualsNoCase(Utf8ToWide(entry.path().filename().string()), name)) {
      *entryPath = entry.path();
      return true;
    }
  }
  return false;
}

}  // namespace

// Where a Windows path lies on the host.
struct SimFiles::Location {
  std::wstring full;         // normalised Windows path
  DrivePath parts;
  fs::path host;             // the entry (existing name, or the last name as given)
  fs::path hostParent;       // its folder
  bool parentExists = false; // every folder above the entry exists
  bool exists = false;
  bool isFolder = false;
  bool IsRoot() const { return parts.names.empty(); }
};

// An open file; the host file closes with the last handle to it.
struct SimFiles::OpenFile : SimObject {
  int fd = -1;
  std::wstring path;
  std::uint32_t access = 0;
  std::uint32_t share = 0;
  dev_t device = 0;
  ino_t inode = 0;
  std::uint64_t position = 0;

  OpenFile() = default;
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  ~OpenFile() override {
    if (fd >= 0) ::close(fd);
  }
};

SimFiles::SimFiles(SimProcess& process, SimObjectTable& objects, fs::path root, DriveNaming naming)
    : process_(process), objects_(objects), root_(std::move(root)), naming_(naming) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(root_, ec)) {
    const std::string name = entry.path().filename().string();
    const std::string prefix = naming_ == DriveNaming::Wine ? "drive_" : "";
    if (!entry.is_directory(ec) || name.size() != prefix.size() + 1 || name.rfind(prefix, 0) != 0)
      continue;
    const char letter = name.back();
    if (std::isalpha(static_cast<unsigned char>(letter)))
      drives_[UpperChar(static_cast<wchar_t>(letter))] = entry.path();
  }
  AddDrive(L'C');
}

// --- Drives and paths.

fs::path SimFiles::DriveFolder(wchar_t letter) const {
  const wchar_t upper = UpperChar(letter);
  if (naming_ == DriveNaming::Wine)
    return root_ / (std::string("drive_") + static_cast<char>(upper - L'A' + 'a'));
  return root_ / std::string(1, static_cast<char>(upper));
}

void SimFiles::AddDrive(wchar_t letter) {
  const fs::path folder = DriveFolder(letter);
  std::error_code ec;
  fs::create_directories(folder, ec);
  drives_[UpperChar(letter)] = folder;
}

std::vector<wchar_t> SimFiles::Drives() const {
  std::vector<wchar_t> letters;
  for (const auto& [letter, folder] : drives_) letters.push_back(letter);
  return letters;
}

std::wstring SimFiles::CurrentFolder() const {
  if (currentDirectory_) return *currentDirectory_;
  return ParentPath(process_.ExePath());
}

void SimFiles::SetTempPath(const std::wstring& path) {
  tempPath_ = path;
  if (tempPath_.empty() || tempPath_.back() != L'\\') tempPath_.push_back(L'\\');
}

// Resolves each name against its host folder (MatchEntry); a name that does not exist is
// kept as given. False when the drive is not mapped.
bool SimFiles::ResolveNames(const DrivePath& parts, Location* where) const {
  auto drive = drives_.find(parts.drive);
  if (drive == drives_.end()) return false;
  fs::path current = drive->second;
  where->parentExists = true;
  where->exists = true;
  where->isFolder = true;
  for (const std::wstring& name : parts.names) {
    const bool inFolder = where->exists && where->isFolder;
    if (!inFolder) where->parentExists = false;
    where->hostParent = current;
    fs::path next = current / HostName(name);
    where->exists = inFolder && MatchEntry(current, name, &next);
    current = next;
    std::error_code ec;
    where->isFolder = where->exists && fs::is_directory(current, ec);
  }
  where->host = current;
  if (parts.names.empty()) where->hostParent = current;
  return true;
}

Win32Error SimFiles::Locate(const std::wstring& path, Location* where) const {
  if (!FullPathName(path, CurrentFolder(), &where->full)) return simerr::InvalidName;
  const bool verbatim = where->full.rfind(L"\\\\?\\", 0) == 0;
  if (!SplitDrivePath(where->full, &where->parts)) return err::PathNotFound;
  if (!verbatim && where->full.size() >= kMaxPath) return err::PathNotFound;
  for (const std::wstring& name : where->parts.names)
    if (HasInvalidNameCharacter(name)) return simerr::InvalidName;
  if (!ResolveNames(where->parts, where)) return err::PathNotFound;
  return err::Success;
}

Win32Error SimFiles::LocateExisting(const std::wstring& path, Location* where) const {
  const Win32Error error = Locate(path, where);
  if (error != err::Success) return error;
  if (!where->parentExists) return err::PathNotFound;
  if (!where->exists) return err::FileNotFound;
  return err::Success;
}

fs::path SimFiles::HostPath(const std::wstring& path) const {
  Location where;
  if (!FullPathName(path, CurrentFolder(), &where.full)) return {};
  if (!SplitDrivePath(where.full, &where.parts) || !ResolveNames(where.parts, &where)) return {};
  return where.host;
}

// --- Failures and sharing.

bool SimFiles::Fail(Win32Error error) {
  process_.SetLastError(error);
  return false;
}

Handle SimFiles::FailHandle(Win32Error error) {
  process_.SetLastError(error);
  return kNoHandle;
}

bool SimFiles::TakeFailure(std::map<std::wstring, Failure>* failures, const std::wstring& key,
                           Win32Error* error) {
  auto it = failures->find(key);
  if (it == failures->end()) return false;
  *error = it->second.error;
  if (it->second.remaining != kAlways && --it->second.remaining <= 0) failures->erase(it);
  return true;
}

bool SimFiles::PathFails(const std::wstring& fullPath) {
  Win32Error error = 0;
  if (!TakeFailure(&pathFailures_, UpperCase(fullPath), &error)) return false;
  process_.SetLastError(error);
  return true;
}

// Windows' share check: the new open must share every right the open handles hold, and
// every open handle must share every right the new open asks for.
bool SimFiles::SharingAllows(const Location& where, std::uint32_t access,
                             std::uint32_t share) const {
  struct stat st {};
  if (::stat(where.host.c_str(), &st) != 0) return true;
  bool allowed = true;
  auto check = [&](const OpenFile& entry) {
    if (entry.device != st.st_dev || entry.inode != st.st_ino) return;
    if ((Reads(access) && !(entry.share & file::ShareRead)) ||
        (Writes(access) && !(entry.share & file::ShareWrite)) ||
        (Deletes(access) && !(entry.share & file::ShareDelete)) ||
        (Reads(entry.access) && !(share & file::ShareRead)) ||
        (Writes(entry.access) && !(share & file::ShareWrite)) ||
        (Deletes(entry.access) && !(share & file::ShareDelete)))
      allowed = false;
  };
  objects_.ForEach<OpenFile>(check);
  for (const auto& [handle, entry] : foreign_) check(*entry);
  return allowed;
}

bool SimFiles::SharesDelete(const Location& where) const {
  return SharingAllows(where, kDeleteRights & ~0x10000000u, file::ShareRead | file::ShareWrite |
                                                               file::ShareDelete);
}

SimFiles::OpenFile* SimFiles::Entry(Handle file) { return objects_.Find<OpenFile>(file); }

// --- CreateFileW.

Handle SimFiles::Create(const std::wstring& path, std::uint32_t access, std::uint32_t share,
                        std::uint32_t disposition, std::uint32_t attributes) {
  if (disposition < file::CreateNew || disposition > file::TruncateExisting ||
      (disposition == file::TruncateExisting && !Writes(access)))
    return FailHandle(err::InvalidParameter);
  Location where;
  const Win32Error error = Locate(path, &where);
  if (error != err::Success) return FailHandle(error);
  if (PathFails(where.full)) return kNoHandle;
  const Win32Error refusal = CreateRefusal(where, access, share, disposition);
  if (refusal != err::Success) return FailHandle(refusal);
  return OpenHandle(where, access, share, disposition, attributes, false);
}

bool SimFiles::OpenAndClose(const std::wstring& path, std::uint32_t access, std::uint32_t share,
                            std::uint32_t disposition) {
  const Handle handle = Create(path, access, share, disposition, file::AttributeNormal);
  if (handle == kNoHandle) return false;
  objects_.Close(handle);
  return true;
}

// Why CreateFileW refuses to open `where`, or Success.
Win32Error SimFiles::CreateRefusal(const Location& where, std::uint32_t access,
                                   std::uint32_t share, std::uint32_t disposition) const {
  if (!where.parentExists) return err::PathNotFound;
  if (where.isFolder) return err::AccessDenied;
  if (where.parts.trailingSeparator) return simerr::InvalidName;
  if (!where.exists) {
    const bool mustExist = disposition == file::OpenExisting || disposition == file::TruncateExisting;
    return mustExist ? err::FileNotFound : err::Success;
  }
  if (disposition == file::CreateNew) return err::FileExists;
  const bool changes = Writes(access) || Deletes(access) || disposition == file::CreateAlways ||
                       disposition == file::TruncateExisting;
  if (changes && IsReadOnlyOnHost(where.host)) return err::AccessDenied;
  if (!SharingAllows(where, access, share)) return err::SharingViolation;
  return err::Success;
}

Handle SimFiles::OpenHandle(const Location& where, std::uint32_t access, std::uint32_t share,
                            std::uint32_t disposition, std::uint32_t attributes, bool foreign) {
  int flags = Reads(access) && Writes(access) ? O_RDWR : Writes(access) ? O_WRONLY : O_RDONLY;
  if (!where.exists) flags |= O_CREAT | O_EXCL;
  const bool truncate = where.exists && (disposition == file::CreateAlways ||
                                         disposition == file::TruncateExisting);
  if (truncate) flags |= O_TRUNC;
  const fs::path host = where.exists ? where.host : where.hostParent / HostName(where.parts.names.back());
  const int fd = ::open(host.c_str(), flags | O_CLOEXEC, 0666);
  if (fd < 0) return FailHandle(err::AccessDenied);
  if (!where.exists && (attributes & file::AttributeReadOnly)) SetReadOnlyOnHost(host, true);
  struct stat st {};
  ::fstat(fd, &st);
  auto entry = std::make_shared<OpenFile>();
  entry->fd = fd;
  entry->path = where.full;
  entry->access = access;
  entry->share = share;
  entry->device = st.st_dev;
  entry->inode = st.st_ino;
  Handle handle = kNoHandle;
  if (foreign) {
    handle = process_.NewHandle();
    foreign_[handle] = std::move(entry);
  } else {
    handle = objects_.Add(std::move(entry));
  }
  const bool existed = where.exists && (disposition == file::CreateAlways ||
                                        disposition == file::OpenAlways);
  process_.SetLastError(existed ? err::AlreadyExists : err::Success);
  return handle;
}

// --- Handle operations.

bool SimFiles::Read(Handle file, void* buffer, std::uint32_t bytes, std::uint32_t* bytesRead) {
  *bytesRead = 0;
  OpenFile* entry = Entry(file);
  if (entry == nullptr) return Fail(err::InvalidHandle);
  if (!Reads(entry->access)) return Fail(err::AccessDenied);
  const ssize_t n = ::pread(entry->fd, buffer, bytes, static_cast<off_t>(entry->position));
  if (n < 0) return Fail(err::AccessDenied);
  entry->position += static_cast<std::uint64_t>(n);
  *bytesRead = static_cast<std::uint32_t>(n);
  return true;
}

bool SimFiles::Write(Handle file, const void* data, std::uint32_t bytes,
                     std::uint32_t* bytesWritten) {
  *bytesWritten = 0;
  OpenFile* entry = Entry(file);
  if (entry == nullptr) return Fail(err::InvalidHandle);
  if (!Writes(entry->access)) return Fail(err::AccessDenied);
  Win32Error error = 0;
  if (TakeFailure(&writeFailures_, UpperCase(entry->path), &error) ||
      TakeFailure(&writeFailures_, std::wstring(), &error))
    return Fail(error);
  const ssize_t n = ::pwrite(entry->fd, data, bytes, static_cast<off_t>(entry->position));
  if (n < 0) return Fail(simerr::DiskFull);
  entry->position += static_cast<std::uint64_t>(n);
  *bytesWritten = static_cast<std::uint32_t>(n);
  if (writeObserver_)
    writeObserver_(entry->path, std::string_view(static_cast<const char*>(data), bytes));
  return true;
}

bool SimFiles::Size(Handle file, std::uint64_t* size) {
  OpenFile* entry = Entry(file);
  if (entry == nullptr) return Fail(err::InvalidHandle);
  struct stat st {};
  if (::fstat(entry->fd, &st) != 0) return Fail(err::InvalidHandle);
  *size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

bool SimFiles::SeekToEnd(Handle file) {
  std::uint64_t size = 0;
  if (!Size(file, &size)) return false;
  Entry(file)->position = size;
  return true;
}

bool SimFiles::Flush(Handle file) {
  OpenFile* entry = Entry(file);
  if (entry == nullptr) return Fail(err::InvalidHandle);
  if (!Writes(entry->access)) return Fail(err::AccessDenied);
  return true;
}

// --- Path operations.

std::uint32_t SimFiles::Attributes(const std::wstring& path) {
  Location where;
  const Win32Error error = LocateExisting(path, &where);
  if (error != err::Success) {
    Fail(error);
    return file::InvalidAttributes;
  }
  return AttributesOf(where.host, where.isFolder);
}

bool SimFiles::SetAttributes(const std::wstring& path, std::uint32_t attributes) {
  Location where;
  const Win32Error error = LocateExisting(path, &where);
  if (error != err::Success) return Fail(error);
  SetReadOnlyOnHost(where.host, (attributes & file::AttributeReadOnly) != 0);
  return true;
}

bool SimFiles::MakeDirectory(const std::wstring& path) {
  Location where;
  const Win32Error error = Locate(path, &where);
  if (error != err::Success) return Fail(error);
  if (where.full.rfind(L"\\\\?\\", 0) != 0 && where.full.size() >= kMaxFolderPath)
    return Fail(simerr::FilenameExcedRange);
  if (PathFails(where.full)) return false;
  if (where.IsRoot()) return Fail(err::AccessDenied);
  if (!where.parentExists) return Fail(err::PathNotFound);
  if (where.exists) return Fail(err::AlreadyExists);
  std::error_code ec;
  if (!fs::create_directory(where.hostParent / HostName(where.parts.names.back()), ec))
    return Fail(err::AccessDenied);
  return true;
}

bool SimFiles::Delete(const std::wstring& path) {
  Location where;
  const Win32Error error = LocateExisting(path, &where);
  if (error != err::Success) return Fail(error);
  if (PathFails(where.full)) return false;
  if (where.isFolder || IsReadOnlyOnHost(where.host)) return Fail(err::AccessDenied);
  if (!SharesDelete(where)) return Fail(err::SharingViolation);
  std::error_code ec;
  if (!fs::remove(where.host, ec)) return Fail(err::AccessDenied);
  return true;
}

bool SimFiles::Copy(const std::wstring& from, const std::wstring& to, bool failIfExists) {
  Location source, target;
  Win32Error error = LocateExisting(from, &source);
  if (error != err::Success) return Fail(error);
  if ((error = Locate(to, &target)) != err::Success) return Fail(error);
  if (PathFails(source.full) || PathFails(target.full)) return false;
  if (source.isFolder) return Fail(err::AccessDenied);
  if (!target.parentExists) return Fail(err::PathNotFound);
  if (target.exists && failIfExists) return Fail(err::FileExists);
  if (target.isFolder || (target.exists && IsReadOnlyOnHost(target.host)))
    return Fail(err::AccessDenied);
  return CopyChecked(source, target);
}

// CopyFileW reads the source sharing reading only, and writes the target sharing nothing.
bool SimFiles::CopyChecked(const Location& from, const Location& to) {
  if (!SharingAllows(from, file::GenericRead, file::ShareRead | file::ShareDelete))
    return Fail(err::SharingViolation);
  std::error_code ec;
  if (to.exists && (fs::equivalent(from.host, to.host, ec) ||
                    !SharingAllows(to, file::GenericWrite, file::ShareNone)))
    return Fail(err::SharingViolation);
  const fs::path target = to.exists ? to.host : to.hostParent / HostName(to.parts.names.back());
  fs::copy_file(from.host, target, fs::copy_options::overwrite_existing, ec);
  if (ec) return Fail(err::AccessDenied);
  SetReadOnlyOnHost(target, IsReadOnlyOnHost(from.host));
  process_.SetLastError(err::Success);
  return true;
}

bool SimFiles::Move(const std::wstring& from, const std::wstring& to, std::uint32_t flags) {
  Location source, target;
  Win32Error error = LocateExisting(from, &source);
  if (error != err::Success) return Fail(error);
  if ((error = Locate(to, &target)) != err::Success) return Fail(error);
  if (PathFails(source.full) || PathFails(target.full)) return false;
  if (source.IsRoot() || !SharesDelete(source)) return Fail(err::SharingViolation);
  if (!CheckMoveTarget(source, target, flags)) return false;
  if (source.parts.drive != target.parts.drive) return MoveAcrossDrives(source, target, flags);
  std::error_code ec;
  const bool sameEntry = target.exists && fs::equivalent(source.host, target.host, ec);
  if (target.exists && !sameEntry) fs::remove(target.host, ec);
  fs::rename(source.host, target.hostParent / HostName(target.parts.names.back()), ec);
  if (ec) return Fail(err::AccessDenied);
  return true;
}

// MoveFileExW's checks of the target: its folder exists, and an existing target (other
// than the source itself, renamed in case only) is replaced only when asked, and only
// when it is a file that is neither read-only nor open.
bool SimFiles::CheckMoveTarget(const Location& from, const Location& to, std::uint32_t flags) {
  if (to.IsRoot()) return Fail(err::AccessDenied);
  if (!to.parentExists) return Fail(err::PathNotFound);
  std::error_code ec;
  if (!to.exists || fs::equivalent(from.host, to.host, ec)) return true;
  if (!(flags & file::MoveReplaceExisting)) return Fail(err::AlreadyExists);
  if (from.isFolder || to.isFolder || IsReadOnlyOnHost(to.host)) return Fail(err::AccessDenied);
  if (!SharesDelete(to)) return Fail(err::AccessDenied);
  return true;
}

// Another drive is another volume: only a file moves, by copy and delete, and only when
// the caller allows copying.
bool SimFiles::MoveAcrossDrives(const Location& from, const Location& to, std::uint32_t flags) {
  if (!(flags & kMoveCopyAllowed) || from.isFolder) return Fail(simerr::NotSameDevice);
  if (to.exists && !SharingAllows(to, file::GenericWrite, file::ShareNone))
    return Fail(err::AccessDenied);
  if (!CopyChecked(from, to)) return false;
  std::error_code ec;
  SetReadOnlyOnHost(from.host, false);
  fs::remove(from.host, ec);
  return true;
}

bool SimFiles::Find(const std::wstring& pattern, std::vector<FindData>* found) {
  found->clear();
  Location where;
  if (!FullPathName(pattern, CurrentFolder(), &where.full)) return Fail(simerr::InvalidName);
  if (!SplitDrivePath(where.full, &where.parts)) return Fail(err::PathNotFound);
  if (where.parts.names.empty() || where.parts.trailingSeparator) return Fail(err::FileNotFound);
  const std::wstring name = where.parts.names.back();
  where.parts.names.pop_back();
  for (const std::wstring& folderName : where.parts.names)
    if (HasInvalidNameCharacter(folderName)) return Fail(simerr::InvalidName);
  if (!ResolveNames(where.parts, &where) || !where.exists || !where.isFolder)
    return Fail(err::PathNotFound);
  ListMatches(where, name, !where.parts.names.empty(), found);
  if (found->empty()) return Fail(err::FileNotFound);
  return true;
}

// The entries of a folder that match, "." and ".." first (every folder but a root has
// them), then the others in upper-case order.
void SimFiles::ListMatches(const Location& folder, const std::wstring& pattern, bool withDots,
                           std::vector<FindData>* found) const {
  if (withDots) {
    for (const wchar_t* dot : {L".", L".."})
      if (MatchesWildcard(pattern, dot)) found->push_back({dot, file::AttributeDirectory, 0});
  }
  std::vector<FindData> entries;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder.host, ec)) {
    const std::wstring name = Utf8ToWide(entry.path().filename().string());
    if (!MatchesWildcard(pattern, name)) continue;
    const bool isFolder = entry.is_directory(ec);
    const std::uint64_t size = isFolder ? 0 : entry.file_size(ec);
    entries.push_back({name, AttributesOf(entry.path(), isFolder), ec ? 0 : size});
  }
  std::sort(entries.begin(), entries.end(), [](const FindData& a, const FindData& b) {
    return UpperCase(a.fileName) < UpperCase(b.fileName);
  });
  found->insert(found->end(), entries.begin(), entries.end());
}

bool SimFiles::FullPath(const std::wstring& path, std::wstring* full) {
  if (!FullPathName(path, CurrentFolder(), full)) return Fail(simerr::InvalidName);
  return true;
}

// --- Direct access for tests.

void SimFiles::MakeFolders(const std::wstring& path) {
  std::wstring full;
  DrivePath parts;
  if (!FullPathName(path, CurrentFolder(), &full) || !SplitDrivePath(full, &parts)) return;
  if (drives_.count(parts.drive) == 0) AddDrive(parts.drive);
  fs::path current = drives_[parts.drive];
  bool creating = false;  // below a folder made here, nothing exists yet
  std::error_code ec;
  for (const std::wstring& name : parts.names) {
    fs::path next;
    if (creating || !MatchEntry(current, name, &next)) {
      next = current / HostName(name);
      creating = fs::create_directory(next, ec);
    }
    current = next;
  }
}

void SimFiles::PutFile(const std::wstring& path, std::string_view bytes) {
  std::wstring full;
  if (!FullPathName(path, CurrentFolder(), &full)) return;
  MakeFolders(ParentPath(full));
  const fs::path host = HostPath(full);
  if (host.empty()) return;
  SetReadOnlyOnHost(host, false);
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::optional<std::string> SimFiles::FileBytes(const std::wstring& path) const {
  const fs::path host = HostPath(path);
  std::error_code ec;
  if (host.empty() || !fs::is_regular_file(host, ec)) return std::nullopt;
  std::ifstream in(host, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void SimFiles::SetReadOnly(const std::wstring& path, bool readOnly) {
  const fs::path host = HostPath(path);
  if (!host.empty()) SetReadOnlyOnHost(host, readOnly);
}

std::size_t SimFiles::OpenHandleCount() const { return objects_.Count<OpenFile>(); }

// --- Injected failures.

void SimFiles::FailPath(const std::wstring& path, Win32Error error, int times) {
  std::wstring full;
  if (FullPathName(path, CurrentFolder(), &full)) pathFailures_[UpperCase(full)] = {error, times};
}

void SimFiles::FailWrites(const std::wstring& path, Win32Error error, int times) {
  std::wstring full;
  if (!path.empty() && !FullPathName(path, CurrentFolder(), &full)) return;
  writeFailures_[UpperCase(full)] = {error, times};
}

Handle SimFiles::HoldOpenByOtherProgram(const std::wstring& path, std::uint32_t access,
                                        std::uint32_t share) {
  Location where;
  if (Locate(path, &where) != err::Success) return kNoHandle;
  if (!where.exists) {
    PutFile(where.full, {});
    Locate(path, &where);
  }
  const Win32Error saved = process_.LastError();
  const Handle hold = OpenHandle(where, access, share, file::OpenExisting, 0, true);
  process_.SetLastError(saved);
  return hold;
}

void SimFiles::ReleaseOtherProgram(Handle hold) { foreign_.erase(hold); }

void SimFiles::ClearFailures() {
  pathFailures_.clear();
  writeFailures_.clear();
}

}  // namespace platform::sim
