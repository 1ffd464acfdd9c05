// The simulated file system's Windows semantics, which every other test relies on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CurrentProcess.h"
#include "platform/Files.h"
#include "platform/KernelObjects.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::Handle;
using platform::kNoHandle;
namespace err = platform::err;
namespace file = platform::file;

constexpr std::uint32_t kReadWrite = file::GenericRead | file::GenericWrite;

class SimFilesTest : public platform::sim::SimMachineTest {
 protected:
  platform::Files& files() { return platform::files(); }
  platform::Win32Error LastError() { return platform::process().LastError(); }

  Handle Open(const std::wstring& path, std::uint32_t access, std::uint32_t share,
              std::uint32_t disposition) {
    return files().Create(path, access, share, disposition, file::AttributeNormal);
  }

  std::string ReadAll(Handle h) {
    char buffer[256];
    std::uint32_t read = 0;
    EXPECT_TRUE(files().Read(h, buffer, sizeof buffer, &read));
    return std::string(buffer, read);
  }

  void WriteText(Handle h, const std::string& text) {
    std::uint32_t written = 0;
    ASSERT_TRUE(files().Write(h, text.data(), static_cast<std::uint32_t>(text.size()), &written));
    ASSERT_EQ(written, text.size());
  }

  std::vector<std::wstring> FindNames(const std::wstring& pattern) {
    std::vector<platform::FindData> found;
    files().Find(pattern, &found);
    std::vector<std::wstring> names;
    for (const auto& entry : found) names.push_back(entry.fileName);
    return names;
  }
};

TEST_F(SimFilesTest, PathsResolveWithoutRegardToCaseOrSeparator) {
  sim().PutFile(L"C:\\Data\\Setup\\Script.crvdat", "abc");
  EXPECT_TRUE(std::filesystem::exists(hostRoot() / "C" / "Data" / "Setup" / "Script.crvdat"));

  const Handle h = Open(L"c:/DATA/setup\\SCRIPT.CRVDAT", file::GenericRead, file::ShareRead,
                        file::OpenExisting);
  ASSERT_NE(h, kNoHandle);
  EXPECT_EQ(ReadAll(h), "abc");
  EXPECT_TRUE(platform::kernel().Close(h));

  // A new file in an existing folder joins that folder's spelling, not a second folder.
  const Handle created = Open(L"C:\\data\\new.txt", file::GenericWrite, 0, file::CreateNew);
  ASSERT_NE(created, kNoHandle);
  platform::kernel().Close(created);
  EXPECT_TRUE(std::filesystem::exists(hostRoot() / "C" / "Data" / "new.txt"));
  EXPECT_FALSE(std::filesystem::exists(hostRoot() / "C" / "data"));
}

TEST_F(SimFilesTest, DispositionsFollowCreateFile) {
  const std::wstring path = L"C:\\work\\a.txt";
  sim().files().MakeFolders(L"C:\\work");

  EXPECT_EQ(Open(path, file::GenericRead, 0, file::OpenExisting), kNoHandle);
  EXPECT_EQ(LastError(), err::FileNotFound);
  EXPECT_EQ(Open(L"C:\\nowhere\\a.txt", file::GenericRead, 0, file::OpenExisting), kNoHandle);
  EXPECT_EQ(LastError(), err::PathNotFound);

  Handle h = Open(path, file::GenericWrite, 0, file::CreateAlways);
  ASSERT_NE(h, kNoHandle);
  EXPECT_EQ(LastError(), err::Success);
  WriteText(h, "old text");
  platform::kernel().Close(h);

  EXPECT_EQ(Open(path, file::GenericWrite, 0, file::CreateNew), kNoHandle);
  EXPECT_EQ(LastError(), err::FileExists);

  h = Open(path, file::GenericWrite, 0, file::OpenAlways);
  EXPECT_EQ(LastError(), err::AlreadyExists);
  platform::kernel().Close(h);
  EXPECT_EQ(*sim().FileBytes(path), "old text");  // OPEN_ALWAYS keeps the content

  h = Open(path, file::GenericWrite, 0, file::CreateAlways);
  EXPECT_EQ(LastError(), err::AlreadyExists);
  platform::kernel().Close(h);
  EXPECT_EQ(*sim().FileBytes(path), "");  // CREATE_ALWAYS truncates

  EXPECT_EQ(Open(path, file::GenericRead, 0, file::TruncateExisting), kNoHandle);
  EXPECT_EQ(LastError(), err::InvalidParameter);
  EXPECT_EQ(Open(L"C:\\work", file::GenericRead, 0, file::OpenExisting), kNoHandle);
  EXPECT_EQ(LastError(), err::AccessDenied);
}

TEST_F(SimFilesTest, ShareModesAreEnforcedBetweenHandles) {
  const std::wstring path = L"C:\\shared.log";
  sim().PutFile(path, "x");

  const Handle exclusive = Open(path, file::GenericRead, file::ShareNone, file::OpenExisting);
  ASSERT_NE(exclusive, kNoHandle);
  EXPECT_EQ(Open(path, file::GenericRead, file::ShareRead | file::ShareWrite, file::OpenExisting),
            kNoHandle);
  EXPECT_EQ(LastError(), err::SharingViolation);
  platform::kernel().Close(exclusive);

  // A writer that shares reading lets readers in, but only readers that share writing.
  const Handle writer = Open(path, file::GenericWrite, file::ShareRead, file::OpenAlways);
  ASSERT_NE(writer, kNoHandle);
  EXPECT_EQ(Open(path, file::GenericRead, file::ShareRead, file::OpenExisting), kNoHandle);
  const Handle reader =
      Open(path, file::GenericRead, file::ShareRead | file::ShareWrite, file::OpenExisting);
  EXPECT_NE(reader, kNoHandle);
  EXPECT_EQ(Open(path, file::GenericWrite, file::ShareRead | file::ShareWrite, file::OpenAlways),
            kNoHandle);

  // Deleting or replacing a file needs every open handle to share deletion.
  EXPECT_FALSE(files().Delete(path));
  EXPECT_EQ(LastError(), err::SharingViolation);
  platform::kernel().Close(reader);
  platform::kernel().Close(writer);
  EXPECT_TRUE(files().Delete(path));
  EXPECT_EQ(sim().files().OpenHandleCount(), 0u);
}

TEST_F(SimFilesTest, AnotherProgramCanHoldAFileOpen) {
  const std::wstring path = L"C:\\Users\\User\\Documents\\Tamber Log Files\\TAMBER4SETUP.log";
  const Handle hold = sim().files().HoldOpenByOtherProgram(path);
  ASSERT_NE(hold, kNoHandle);
  EXPECT_EQ(Open(path, file::GenericWrite, file::ShareRead, file::OpenAlways), kNoHandle);
  EXPECT_EQ(LastError(), err::SharingViolation);
  EXPECT_FALSE(platform::kernel().Close(hold));  // not the logic's handle
  sim().files().ReleaseOtherProgram(hold);
  const Handle h = Open(path, file::GenericWrite, file::ShareRead, file::OpenAlways);
  EXPECT_NE(h, kNoHandle);
  platform::kernel().Close(h);
}

TEST_F(SimFilesTest, ReadOnlyFilesRefuseChange) {
  const std::wstring path = L"C:\\ro.txt";
  sim().PutFile(path, "keep");
  sim().files().SetReadOnly(path, true);
  EXPECT_EQ(files().Attributes(path) & file::AttributeReadOnly, file::AttributeReadOnly);

  EXPECT_EQ(Open(path, file::GenericWrite, 0, file::OpenExisting), kNoHandle);
  EXPECT_EQ(LastError(), err::AccessDenied);
  EXPECT_FALSE(files().Delete(path));
  EXPECT_EQ(LastError(), err::AccessDenied);
  sim().PutFile(L"C:\\new.txt", "new");
  EXPECT_FALSE(files().Copy(L"C:\\new.txt", path, false));
  EXPECT_EQ(LastError(), err::AccessDenied);
  EXPECT_FALSE(files().Move(L"C:\\new.txt", path, file::MoveReplaceExisting));
  EXPECT_EQ(*sim().FileBytes(path), "keep");

  // Reading stays allowed, and a copy takes the attribute along.
  const Handle h = Open(path, file::GenericRead, file::ShareRead, file::OpenExisting);
  EXPECT_NE(h, kNoHandle);
  platform::kernel().Close(h);
  EXPECT_TRUE(files().Copy(path, L"C:\\copy.txt", true));
  EXPECT_NE(files().Attributes(L"C:\\copy.txt") & file::AttributeReadOnly, 0u);
}

TEST_F(SimFilesTest, CopyAndMoveReportWindowsCodes) {
  sim().PutFile(L"C:\\a.txt", "A");
  sim().PutFile(L"C:\\b.txt", "B");

  EXPECT_FALSE(files().Copy(L"C:\\a.txt", L"C:\\B.TXT", true));
  EXPECT_EQ(LastError(), err::FileExists);
  EXPECT_TRUE(files().Copy(L"C:\\a.txt", L"C:\\B.TXT", false));
  EXPECT_EQ(*sim().FileBytes(L"C:\\b.txt"), "A");
  EXPECT_FALSE(files().Copy(L"C:\\missing.txt", L"C:\\c.txt", false));
  EXPECT_EQ(LastError(), err::FileNotFound);

  sim().PutFile(L"C:\\b.txt", "B");
  EXPECT_FALSE(files().Move(L"C:\\a.txt", L"C:\\b.txt", 0));
  EXPECT_EQ(LastError(), err::AlreadyExists);
  EXPECT_TRUE(files().Move(L"C:\\a.txt", L"C:\\b.txt", file::MoveReplaceExisting));
  EXPECT_EQ(*sim().FileBytes(L"C:\\b.txt"), "A");
  EXPECT_FALSE(sim().FileBytes(L"C:\\a.txt").has_value());

  // A rename that changes only the case is not a collision.
  EXPECT_TRUE(files().Move(L"C:\\b.txt", L"C:\\B.txt", 0));
  EXPECT_EQ(FindNames(L"C:\\b.*"), std::vector<std::wstring>{L"B.txt"});

  sim().files().AddDrive(L'D');
  EXPECT_FALSE(files().Move(L"C:\\B.txt", L"D:\\B.txt", 0));
  EXPECT_EQ(LastError(), 17u);  // ERROR_NOT_SAME_DEVICE
}

TEST_F(SimFilesTest, FindMatchesWildcardsAndListsDotEntries) {
  sim().PutFile(L"C:\\app\\Setup\\one.crvdat", "1");
  sim().PutFile(L"C:\\app\\Setup\\Two.CRVDAT", "22");
  sim().PutFile(L"C:\\app\\Setup\\notes.txt", "");
  sim().PutFile(L"C:\\app\\Setup\\README", "");

  EXPECT_EQ(FindNames(L"C:\\APP\\setup\\*.crvdat"),
            (std::vector<std::wstring>{L"one.crvdat", L"Two.CRVDAT"}));
  EXPECT_EQ(FindNames(L"C:\\app\\Setup\\?wo.*"), std::vector<std::wstring>{L"Two.CRVDAT"});
  EXPECT_EQ(FindNames(L"C:\\app\\Setup\\readme.*"), std::vector<std::wstring>{L"README"});
  EXPECT_EQ(FindNames(L"C:\\app\\Setup\\*").size(), 6u);  // ".", "..", and the four files
  EXPECT_EQ(FindNames(L"C:\\app\\Setup\\*")[0], L".");

  std::vector<platform::FindData> found;
  EXPECT_TRUE(files().Find(L"C:\\app\\Setup\\two.crvdat", &found));
  EXPECT_EQ(found[0].size, 2u);
  EXPECT_FALSE(files().Find(L"C:\\app\\Setup\\*.exe", &found));
  EXPECT_EQ(LastError(), err::FileNotFound);
  EXPECT_FALSE(files().Find(L"C:\\app\\Missing\\*.crvdat", &found));
  EXPECT_EQ(LastError(), err::PathNotFound);
}

TEST_F(SimFilesTest, FullPathNormalisesAgainstTheCurrentFolder) {
  sim().files().SetCurrentFolder(L"C:\\Users\\User\\Downloads");
  std::wstring full;
  ASSERT_TRUE(files().FullPath(L"Setup\\..\\.\\x.crvdat", &full));
  EXPECT_EQ(full, L"C:\\Users\\User\\Downloads\\x.crvdat");
  ASSERT_TRUE(files().FullPath(L"\\Windows//System32\\", &full));
  EXPECT_EQ(full, L"C:\\Windows\\System32\\");
  ASSERT_TRUE(files().FullPath(L"C:\\..\\..\\a\\b.", &full));
  EXPECT_EQ(full, L"C:\\a\\b");
  ASSERT_TRUE(files().FullPath(L"D:file", &full));
  EXPECT_EQ(full, L"D:\\file");
  ASSERT_TRUE(files().FullPath(L"\\\\server\\share\\x\\..\\y", &full));
  EXPECT_EQ(full, L"\\\\server\\share\\y");
  EXPECT_FALSE(files().FullPath(L"", &full));

  // Relative names in operations resolve the same way.
  sim().PutFile(L"C:\\Users\\User\\Downloads\\rel.txt", "r");
  EXPECT_NE(files().Attributes(L"rel.txt"), file::InvalidAttributes);
}

TEST_F(SimFilesTest, FoldersAttributesAndUnknownDrives) {
  EXPECT_TRUE(files().MakeDirectory(L"C:\\New"));
  EXPECT_FALSE(files().MakeDirectory(L"C:\\new"));
  EXPECT_EQ(LastError(), err::AlreadyExists);
  EXPECT_FALSE(files().MakeDirectory(L"C:\\a\\b"));
  EXPECT_EQ(LastError(), err::PathNotFound);
  EXPECT_EQ(files().Attributes(L"C:\\NEW"), file::AttributeDirectory);
  EXPECT_EQ(files().Attributes(L"Q:\\a"), file::InvalidAttributes);
  EXPECT_EQ(LastError(), err::PathNotFound);
  EXPECT_EQ(files().Attributes(L"Q:"), file::InvalidAttributes);
  EXPECT_EQ(files().Attributes(L"C:"), file::AttributeDirectory);  // C's current folder
  EXPECT_FALSE(files().MakeDirectory(L"Q:\\a"));
  EXPECT_FALSE(files().Delete(L"C:\\New"));
  EXPECT_EQ(LastError(), err::AccessDenied);
  EXPECT_EQ(files().TempPath(), L"C:\\Users\\User\\AppData\\Local\\Temp\\");

  const std::wstring deep = L"C:\\" + std::wstring(300, L'x');
  EXPECT_EQ(Open(deep, file::GenericWrite, 0, file::CreateAlways), kNoHandle);
  EXPECT_EQ(LastError(), err::PathNotFound);
  EXPECT_EQ(Open(L"C:\\bad?name", file::GenericWrite, 0, file::CreateAlways), kNoHandle);
  EXPECT_EQ(LastError(), 123u);  // ERROR_INVALID_NAME
}

TEST_F(SimFilesTest, HandlesReadWriteAtTheirPosition) {
  const Handle h = Open(L"C:\\pos.txt", kReadWrite, 0, file::CreateAlways);
  WriteText(h, "hello");
  std::uint64_t size = 0;
  EXPECT_TRUE(files().Size(h, &size));
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(ReadAll(h), "");  // the position is past the end of what was written
  platform::kernel().Close(h);

  const Handle append = Open(L"C:\\pos.txt", file::GenericWrite, file::ShareRead, file::OpenAlways);
  EXPECT_TRUE(files().SeekToEnd(append));
  WriteText(append, " world");
  char c;
  std::uint32_t read = 0;
  EXPECT_FALSE(files().Read(append, &c, 1, &read));  // opened for writing only
  EXPECT_EQ(LastError(), err::AccessDenied);
  EXPECT_TRUE(platform::kernel().Close(append));
  EXPECT_FALSE(platform::kernel().Close(append));
  EXPECT_EQ(LastError(), err::InvalidHandle);
  EXPECT_EQ(*sim().FileBytes(L"C:\\pos.txt"), "hello world");
}

TEST_F(SimFilesTest, InjectedFailuresCountDownThenClear) {
  const std::wstring path = L"C:\\flaky.log";
  sim().files().FailPath(L"c:\\FLAKY.log", err::SharingViolation, 2);
  EXPECT_EQ(Open(path, file::GenericWrite, 0, file::OpenAlways), kNoHandle);
  EXPECT_EQ(LastError(), err::SharingViolation);
  EXPECT_EQ(Open(path, file::GenericWrite, 0, file::OpenAlways), kNoHandle);
  Handle h = Open(path, file::GenericWrite, 0, file::OpenAlways);
  ASSERT_NE(h, kNoHandle);

  std::vector<std::string> observed;
  sim().files().SetWriteObserver(
      [&](const std::wstring& p, std::string_view bytes) {
        EXPECT_EQ(p, L"C:\\flaky.log");
        observed.emplace_back(bytes);
      });
  sim().files().FailWrites(L"", 112, 1);  // disk full, once, for any file
  std::uint32_t written = 7;
  EXPECT_FALSE(files().Write(h, "abc", 3, &written));
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(LastError(), 112u);
  WriteText(h, "abc");
  platform::kernel().Close(h);
  EXPECT_EQ(observed, std::vector<std::string>{"abc"});

  sim().files().FailPath(path, err::AccessDenied);
  EXPECT_FALSE(files().Delete(path));
  EXPECT_FALSE(files().Delete(path));
  sim().files().ClearFailures();
  EXPECT_TRUE(files().Delete(path));
}

}  // namespace
