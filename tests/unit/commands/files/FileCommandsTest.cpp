// copy-file, set-special-folder-paths and self on the simulated machine.
#include <gtest/gtest.h>

#include "ComUtil/IssueError.h"
#include "setup/commands/files/FileCommands.h"
#include "setup/commands/files/SelfCommand.h"
#include "tests/unit/support/SimSessionSupport.h"

namespace {

using namespace sessiontest;

const std::wstring kExeFolder = L"C:\\Users\\User\\Downloads\\";
const std::wstring kLocal = L"C:\\Users\\User\\AppData\\Local\\";

class FileCommands : public SessionTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(logging::OpenLog(0, true, true));
    state_.workingFolder = kExeFolder;
  }
  // Runs a "copy-file" line with the result the interpreter presets.
  void Copy(const std::wstring& text) {
    line_.Parse(text);
    line_.SetParameter(L"result", L"failure");
    setup::RunCommandCopyFile(line_, state_);
  }
  std::wstring Result() const { return line_.GetParameter(L"result"); }

  setup::SetupState state_;
  setup::CommandParameters line_;
};

TEST_F(FileCommands, CopiesARelativeSourceIntoARenderedFolderItCreates) {
  sim().PutFile(kExeFolder + L"data\\a.txt", "alpha");
  Copy(L"copy-file|source=data\\a.txt|target=%LocalAppDataFolder%\\X\\");
  EXPECT_EQ(Result(), L"success");
  EXPECT_EQ(sim().FileBytes(kLocal + L"X\\a.txt"), "alpha");
  EXPECT_TRUE(Logged("Info\tRunCommandCopyFile\tCreating directory tree 'C:\\Users\\User\\AppData\\Local\\X'."));
  EXPECT_TRUE(Logged("Info\tRunCommandCopyFile\tCopying file from 'C:\\Users\\User\\Downloads\\data\\a.txt' "
                     "to 'C:\\Users\\User\\AppData\\Local\\X\\a.txt'."));
}

TEST_F(FileCommands, OverwritesAndTakesAbsolutePathsAsTheyAre) {
  sim().PutFile(L"C:\\Media\\b.txt", "new");
  sim().PutFile(L"C:\\Out\\b.txt", "old");
  Copy(L"copy-file|source=C:\\Media\\b.txt|target=C:\\Out");
  EXPECT_EQ(Result(), L"success");
  EXPECT_EQ(sim().FileBytes(L"C:\\Out\\b.txt"), "new");

  Copy(L"copy-file|source=\\\\server\\share\\b.txt|target=out");
  EXPECT_EQ(Result(), L"failure");
  EXPECT_TRUE(Logged("Error\tRunCommandCopyFile\tSource file '\\\\server\\share\\b.txt' not found, skipping command."));
}

TEST_F(FileCommands, MissingSourcesAndUnknownFoldersSkipTheCommand) {
  Copy(L"copy-file|source=gone.txt|target=C:\\Out");
  EXPECT_EQ(Result(), L"failure");
  EXPECT_TRUE(Logged("Error\tRunCommandCopyFile\tSource file 'C:\\Users\\User\\Downloads\\gone.txt' not "
                     "found, skipping command."));

  sim().PutFile(kExeFolder + L"a.txt", "a");
  Copy(L"copy-file|source=a.txt|target=%Nowhere%\\X");
  EXPECT_EQ(Result(), L"failure");
  EXPECT_TRUE(Logged("Error\tRunCommandCopyFile\tSource file 'C:\\Users\\User\\Downloads\\a.txt' not found, "
                     "skipping command."));
  // A folder is not a source file.
  Copy(L"copy-file|source=C:\\Users|target=C:\\Out");
  EXPECT_EQ(Result(), L"failure");
  EXPECT_FALSE(sim().FileBytes(L"C:\\Out\\Users").has_value());
}

TEST_F(FileCommands, ACopyThatFailsIsLoggedWithTheSystemsReason) {
  sim().PutFile(kExeFolder + L"a.txt", "a");
  sim().files().MakeFolders(L"C:\\Out\\a.txt");  // a folder where the file should go
  Copy(L"copy-file|source=a.txt|target=C:\\Out\\");
  EXPECT_EQ(Result(), L"failure");
  bool logged = false;
  for (const std::string& message : Messages())
    logged |= message.rfind("Error\tRunCommandCopyFile\tFailed to copy file. GetLastError: 0x5, '", 0) == 0;
  EXPECT_TRUE(logged);
}

TEST_F(FileCommands, SourceAndTargetAreRequired) {
  EXPECT_THROW(Copy(L"copy-file|source=a.txt"), ComUtil::_com_error);
  EXPECT_THROW(Copy(L"copy-file|target=C:\\Out|source="), ComUtil::_com_error);
}

TEST_F(FileCommands, SpecialFoldersFromEarlierDownloadsTheEarliestWins) {
  state_.script.lines = {
      L"download|file-path=C:\\D\\first.msi|result=success|special-folder-name=Pkg",
      L"download|file-path=C:\\D\\second.msi|result=success|special-folder-name=Pkg",
      L"download|file-path=C:\\D\\failed.msi|result=failure|special-folder-name=Other",
      L"download|file-path=C:\\D\\unnamed.msi|result=success",
      L"execute|file-path=C:\\D\\x.exe|result=success|special-folder-name=Exe",
      L"set-special-folder-paths",
      L"download|file-path=C:\\D\\later.msi|result=success|special-folder-name=Later"};
  state_.script.currentLine = 5;
  state_.specialFolders[L"%Pkg%"] = L"C:\\old.msi";
  setup::RunCommandSetSpecialFolderPaths(state_);
  EXPECT_EQ(state_.specialFolders,
            (std::map<std::wstring, std::wstring>{{L"%Pkg%", L"C:\\D\\first.msi"}}));
  EXPECT_TRUE(Logged("Info\tRunCommandSetSpecialFolderPaths\tSetting special folder paths from "
                     "completed download jobs."));
  EXPECT_TRUE(Logged("Info\tRunCommandSetSpecialFolderPaths\tAdding special folder map entry, name "
                     "'%Pkg%', value 'C:\\D\\first.msi'."));
}

TEST_F(FileCommands, SelfCarriesTheRootAddressBothWays) {
  state_.rootUri = L"http://example.com/setup/";
  line_.Parse(L"self");
  setup::RunCommandSelf(line_, state_);
  EXPECT_EQ(line_.Serialize(), L"self|result=repeat|uri=http://example.com/setup/");
  EXPECT_TRUE(Logged("Info\tRunCommandSelf\tSetting 'self' command's 'uri' parameter to "
                     "'http://example.com/setup/'."));

  setup::SetupState later;  // the written-back file run again, after a restart
  setup::RunCommandSelf(line_, later);
  EXPECT_EQ(later.rootUri, L"http://example.com/setup/");
  EXPECT_TRUE(Logged("Info\tRunCommandSelf\tSetting the root URI from the 'self' command's 'uri' "
                     "parameter to 'http://example.com/setup/'."));

  setup::SetupState local;
  line_.Parse(L"self");
  setup::RunCommandSelf(line_, local);
  EXPECT_EQ(line_.Serialize(), L"self|result=repeat");
  EXPECT_TRUE(local.rootUri.empty());
}

}  // namespace
