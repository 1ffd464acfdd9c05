// Shell folders, folder trees and the working copy's path.
#include "setup/session/Paths.h"

#include "setup/session/SessionFolders.h"
#include "tests/unit/support/SetupTestSupport.h"

namespace setup {
namespace {

class PathsTest : public setuptest::SetupTest {};

TEST_F(PathsTest, TheWorkingCopyIsNamedAfterTheLastPartOfThePathOrAddress) {
  SetupState state;
  EXPECT_EQ(GetTargetFilePath(state, L"https://x/a/b.crvdat"), setuptest::kInstallFolder + L"b.crvdat");
  EXPECT_EQ(GetTargetFilePath(state, L"D:\\Setup/x\\s.crvdat"), setuptest::kInstallFolder + L"s.crvdat");
  EXPECT_EQ(state.targetFolder, setuptest::kInstallFolder);
  EXPECT_EQ(sim().files().Attributes(setuptest::kInstallFolder) & platform::file::AttributeDirectory,
            platform::file::AttributeDirectory);
  EXPECT_TRUE(Logged("Info\tGetTargetFilePath\tTamber4Setup target file path set to '" +
                     text::WideToUtf8(setuptest::kInstallFolder) + "s.crvdat'"));
}

TEST_F(PathsTest, AFolderThatCannotBeHadFallsBackToTheTemporaryFolder) {
  sim().shell().SetFolderPathFailure(platform::csidl::LocalAppData, platform::hr::Fail);
  SetupState state;
  EXPECT_EQ(GetTargetFilePath(state, L"s.crvdat"),
            L"C:\\Users\\User\\AppData\\Local\\Temp\\Tamber4\\Install\\s.crvdat");
  EXPECT_TRUE(Logged("Error\tGetSpecialFolder\tSHGetFolderPath returned 0x80004005. Did user RunAs... on "
                     "XP with \"Protect my computer and data from unauthorized program activity\" checked?"));
  EXPECT_TRUE(Logged("Error\tGetSpecialFolder\tSpecial folder number 28 could not be determined, using ::GetTempPath."));
}

TEST_F(PathsTest, AFolderTreeOnAMissingDriveIsNotCreated) {
  EXPECT_FALSE(CreateDirectoryTree(L"Q:\\a\\b"));
  EXPECT_TRUE(Logged("Error\tCreateDirectoryTree\tDrive not found."));
  EXPECT_FALSE(CreateDirectoryTree(L""));
  EXPECT_FALSE(CreateDirectoryTree(L"\\"));
  EXPECT_EQ(CountLogged("Error\tCreateDirectoryTree\tDrive not found."), 3u);
  EXPECT_TRUE(CreateDirectoryTree(L"C:\\x\\y\\z"));
  EXPECT_TRUE(IsSameFile(L"C:\\X\\Y\\..\\y\\Z", L"c:\\x\\y\\z"));
}

TEST_F(PathsTest, AFileInTheWayOfAFolderIsReportedWithTheSystemsText) {
  sim().PutFile(L"C:\\x", "file");
  EXPECT_FALSE(CreateDirectoryTree(L"C:\\x\\y"));
  EXPECT_TRUE(Logged("Error\tCreateDirectoryTree\tFailed to create folder 'C:\\x'. GetLastError: "
                     "0xB7, 'Cannot create a file when that file already exists.'"));
  EXPECT_EQ(sim().FileBytes(L"C:\\x"), std::optional<std::string>("file"));
}

TEST_F(PathsTest, AWorkingCopyPathTooLongForTheSystemIsRefusedNotCutShort) {
  SetupState state;
  const std::size_t room = kMaxPath - 1 - setuptest::kInstallFolder.size();
  const std::wstring longest(room, L'a');
  EXPECT_EQ(GetTargetFilePath(state, L"D:\\" + longest), setuptest::kInstallFolder + longest);
  EXPECT_EQ(GetTargetFilePath(state, L"D:\\b" + longest), L"");
  EXPECT_TRUE(Logged("Error\tGetTargetFilePath\tTamber4Setup target file path '" +
                     text::WideToUtf8(setuptest::kInstallFolder) + "b" + text::WideToUtf8(longest) +
                     "' is longer than 259 characters."));
}

TEST_F(PathsTest, TheSessionFoldersComeFromTheExecutableAndTheLog) {
  SetupState state;
  sim().SetExePath(L"D:\\Media\\Tamber4Setup.exe");
  GetWorkingFolder(state);
  EXPECT_EQ(state.workingFolder, L"D:\\Media\\");
  SetLoggingPath(state);
  EXPECT_EQ(state.loggingFolder, L"C:\\Users\\User\\AppData\\Local\\Temp\\Tamber Log Files\\");
  logging::CloseLog();
  SetLoggingPath(state);
  EXPECT_EQ(state.loggingFolder, L"C:\\Users\\User\\Documents\\Corvane Log Files\\");
}

}  // namespace
}  // namespace setup
