// "download": the address and path rules, special folders, background lines and their
// take-over, the older-system rules and the write-back of the line.
#include <gtest/gtest.h>

#include "setup/commands/downloads/DownloadCommands.h"
#include "setup/session/ProcessState.h"
#include "tests/unit/commands/downloads/DownloadTestSupport.h"

namespace {

using namespace downloadtest;

const std::wstring kRoot = L"file://C:/Server/";
const std::wstring kInstall = sessiontest::kInstallFolder;

struct LineCase {
  const char* name;
  std::wstring line;
  bool vista = true, admin = true, elevated = false;
  bool expected = true;
  std::wstring uri, filePath, result;  // expected parameters afterwards ("-" for absent)
  std::string logLine;                 // a line the log must hold
  std::wstring folderKey, folderPath;  // an expected special folder
};

class DownloadCommand : public DownloadTest {
 protected:
  void SetUp() override {
    DownloadTest::SetUp();
    PutSource(L"C:\\Server\\files\\a.msi", 100);
    state_.rootUri = kRoot;
    state_.installDirectory = L"C:\\Program Files\\Tamber4";
    setup::processState().messageLanguage = platform::lang::EnglishUs;
  }
  // Runs `text` as the script's last line.
  bool Run(const std::wstring& text, setup::CommandParameters* line) {
    state_.script.lines.push_back(text);
    state_.script.currentLine = static_cast<int>(state_.script.lines.size()) - 1;
    line->Parse(text);
    return setup::RunCommandDownload(state_, *line, client_);
  }
};

std::wstring Param(const setup::CommandParameters& line, const std::wstring& name) {
  return line.HasParameter(name) ? line.GetParameter(name) : L"-";
}

TEST_F(DownloadCommand, LineRules) {
  const std::wstring a = L"download|name=Package A|";
  const std::vector<LineCase> cases = {
      {"relative uri joined to the root", a + L"uri=files/a.msi|file-path=Downloads\\a.msi", true, true, false, true,
       kRoot + L"files/a.msi", kInstall + L"Downloads\\a.msi", L"success",
       "Info\tRunCommandDownload\tGenerated full URI from relative path: 'file://C:/Server/files/a.msi'."},
      {"upper-case scheme counts as relative", a + L"uri=FILE://x|file-path=C:\\x\\a.msi", true, true, false, false,
       kRoot + L"FILE://x", L"C:\\x\\a.msi", L"failure", "Info\tRunCommandDownload\tGenerated full URI from relative path: 'file://C:/Server/FILE://x'."},
      {"full address and drive path kept", a + L"uri=file://C:/Server/files/a.msi|file-path=C:\\x\\a.msi", true, true, false, true,
       L"file://C:/Server/files/a.msi", L"C:\\x\\a.msi", L"success",
       "Info\tRunCommandDownload\tDownloading in the foreground file 'Package A' from 'file://C:/Server/files/a.msi' to 'C:\\x\\a.msi'. Existing Copy Job ID: (none)"},
      {"network path kept", a + L"uri=files/none.msi|file-path=\\\\server\\share\\a.msi", true, true, false, false,
       kRoot + L"files/none.msi", L"\\\\server\\share\\a.msi", L"failure", ""},
      {"special folder target and name", a + L"uri=files/a.msi|file-path=%InstallDirectory%\\a.msi|special-folder-name=Installer",
       true, true, false, true, kRoot + L"files/a.msi", L"C:\\Program Files\\Tamber4\\a.msi", L"success",
       "Info\tRunCommandDownload\tAdding special folder map entry, name '%Installer%', value 'C:\\Program Files\\Tamber4\\a.msi'.",
       L"%Installer%", L"C:\\Program Files\\Tamber4\\a.msi"},
      {"unknown special folder", a + L"uri=files/a.msi|file-path=%Nowhere%\\a.msi", true, true, false, false,
       kRoot + L"files/a.msi", L"%Nowhere%\\a.msi", L"-", ""},
      {"missing file-path", a + L"uri=files/a.msi", true, true, false, false, L"files/a.msi", L"-", L"-",
       "Error\tRunCommandDownload\tOne of the requried parameters is missing: 'uri' is 'files/a.msi', 'name' is 'Package A' and 'file-path' is ''."},
      {"message id without name on an English run", L"download|message-id-name=219|uri=files/a.msi|file-path=a.msi", true, true,
       false, false, L"files/a.msi", L"a.msi", L"-",
       "Error\tRunCommandDownload\tOne of the requried parameters is missing: 'uri' is 'files/a.msi', 'name' is '' and 'file-path' is 'a.msi'."},
      {"background line keeps no result", a + L"uri=files/a.msi|file-path=b.msi|background=yes", true, true, false, true,
       kRoot + L"files/a.msi", kInstall + L"b.msi", L"-", "Info\tRunCommandDownload\tAdding parameter 'copy-job-id' with JobID '"},
      {"XP limited user downloads in the foreground", a + L"uri=files/a.msi|file-path=c.msi|background=yes|foreground-on-xp-limited-user=yes",
       false, false, false, true, kRoot + L"files/a.msi", kInstall + L"c.msi", L"-",
       "Info\tRunCommandDownload\tBackground download on XP with 'foreground-on-xp-limited-user' flag 'yes': downloading in foreground."},
      {"XP administrator keeps the background", a + L"uri=files/a.msi|file-path=d.msi|background=yes|foreground-on-xp-limited-user=yes",
       false, true, false, true, kRoot + L"files/a.msi", kInstall + L"d.msi", L"-",
       "Info\tRunCommandDownload\tDownloading in the background file 'Package A' from 'file://C:/Server/files/a.msi' to "},
      {"XP elevated instance skips a foreground line", a + L"uri=files/a.msi|file-path=e.msi", false, true, true, true,
       L"files/a.msi", L"e.msi", L"success",
       "Info\tRunCommandDownload\tSkipping download (assuming a matching background download flagged with 'foreground-on-xp-limited-user' completed prior to RunAs)."},
      {"XP elevated instance names a background line's file", a + L"uri=files/a.msi|file-path=f.msi|background=yes|special-folder-name=F",
       false, true, true, true, L"files/a.msi", L"f.msi", L"success",
       "Info\tRunCommandDownload\tAdding special folder map entry, name '%F%', value 'f.msi'.", L"%F%", L"f.msi"},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.name);
    state_.isVistaOrLater = c.vista;
    state_.isAdmin = c.admin;
    state_.isElevatedInstance = c.elevated;
    client_ = setup::BitsClient();  // no background job of an earlier case to take over
    setup::CommandParameters line;
    EXPECT_EQ(Run(c.line, &line), c.expected);
    EXPECT_EQ(Param(line, L"uri"), c.uri);
    EXPECT_EQ(Param(line, L"file-path"), c.filePath);
    EXPECT_EQ(Param(line, L"result"), c.result);
    if (!c.logLine.empty()) {
      bool seen = false;
      for (const std::string& m : Messages()) seen = seen || m.rfind(c.logLine, 0) == 0;
      EXPECT_TRUE(seen) << c.logLine;
    }
    if (!c.folderKey.empty()) EXPECT_EQ(state_.specialFolders[c.folderKey], c.folderPath);
  }
}

TEST_F(DownloadCommand, ForegroundLineTakesOverTheBackgroundLine) {
  const std::wstring uri = L"files/a.msi";
  state_.script.lines = {L"download|name=A|uri=files/b.msi|file-path=x.msi|background=yes",
                         L"download|name=A|uri=" + kRoot + uri + L"|file-path=a.msi|background=yes"};
  state_.script.currentLine = 1;
  setup::CommandParameters background;
  background.Parse(state_.script.lines[1]);
  ASSERT_TRUE(setup::RunCommandDownload(state_, background, client_));
  const std::wstring jobId = background.GetParameter(L"copy-job-id");
  EXPECT_EQ(jobId.size(), 38u);
  EXPECT_FALSE(background.HasParameter(L"result"));
  state_.script.lines[1] = background.Serialize();
  setup::CommandParameters foreground;
  EXPECT_TRUE(Run(L"download|name=A|uri=" + uri + L"|file-path=a.msi", &foreground));
  EXPECT_EQ(foreground.GetParameter(L"result"), L"success");
  EXPECT_FALSE(foreground.HasParameter(L"copy-job-id"));
  setup::CommandParameters first, second;
  first.Parse(state_.script.lines[0]);
  second.Parse(state_.script.lines[1]);
  EXPECT_FALSE(first.HasParameter(L"result")) << "another address";
  EXPECT_EQ(second.GetParameter(L"result"), L"success");
  EXPECT_EQ(second.GetParameter(L"copy-job-id"), jobId);
  EXPECT_TRUE(Logged("Info\tRunCommandDownload\tSetting result for line number 1: 'download' to 'success'."));
  // A foreground line of another address changes no earlier line.
  setup::CommandParameters other;
  EXPECT_FALSE(Run(L"download|name=A|uri=files/b.msi|file-path=b2.msi", &other));
  first.Parse(state_.script.lines[0]);
  EXPECT_FALSE(first.HasParameter(L"result"));
}

}  // namespace
