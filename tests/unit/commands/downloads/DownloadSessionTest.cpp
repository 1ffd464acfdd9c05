// Downloads in whole sessions: the default web script with its self line and relative
// addresses, a failed run cancelling its background jobs, a rerun that finds its job again,
// and the web script's recovery when the service is disabled.
#include <gtest/gtest.h>

#include "setup/commands/downloads/BitsClient.h"
#include "setup/commands/files/FileCommands.h"
#include "setup/engine/RunStatus.h"
#include "setup/session/SessionServices.h"
#include "setup/session/Tamber4Setup.h"
#include "setup/session/WebScript.h"
#include "tests/unit/commands/downloads/DownloadTestSupport.h"

namespace {

using namespace downloadtest;
namespace bits = platform::bits;

const std::wstring kWebScript = L"C:\\Web\\setup\\w.crvdat";
const std::wstring kWorkingCopy = sessiontest::kInstallFolder + L"w.crvdat";
const std::wstring kLocalScript = L"C:\\Users\\User\\Downloads\\s.crvdat";
const std::wstring kLocalCopy = sessiontest::kInstallFolder + L"s.crvdat";

class DownloadSession : public DownloadTest {
 protected:
  int RunSession(const std::wstring& arguments) {
    const int status = setup::TamberMain(0, L"\"" + sessiontest::kExe + L"\"" + arguments);
    logging::ResetLogForTesting();
    return status;
  }
};

TEST_F(DownloadSession, DefaultWebScriptWithRelativeDownloadAndSpecialFolder) {
  sim().resources().SetString(131, L"file://C:/Web/setup/w.crvdat");
  PutSource(L"C:\\Web\\setup\\files\\a.msi", 5000);
  PutScript(kWebScript, {L"download|name=Package A|uri=files/a.msi|file-path=Downloads\\a.msi|special-folder-name=PackageA",
                         L"copy-file|source=%PackageA%|target=C:\\Dest\\"});
  EXPECT_EQ(RunSession(L""), setup::kRunSuccess);
  const auto lines = ReadScript(kWorkingCopy);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].CommandName(), L"self");
  EXPECT_EQ(lines[1].GetParameter(L"uri"), L"file://C:/Web/setup/files/a.msi");
  EXPECT_EQ(lines[1].GetParameter(L"file-path"), sessiontest::kInstallFolder + L"Downloads\\a.msi");
  EXPECT_EQ(lines[1].GetParameter(L"result"), L"success");
  EXPECT_EQ(lines[2].GetParameter(L"result"), L"success");
  EXPECT_EQ(sim().FileBytes(L"C:\\Dest\\a.msi")->size(), 5000u);
  EXPECT_TRUE(Logged("Info\tRun\tDownloading web script from 'file://C:/Web/setup/w.crvdat', writing to '" +
                     platform::sim::WideToUtf8(kWorkingCopy) + "'."));
  EXPECT_EQ(sim().ui().Dialogs().size(), 2u) << "the web script and the package";
  EXPECT_EQ(sim().ui().Dialogs()[0].itemTexts.at(1002), L"Downloading Tamber 4 Web Script...");

  // set-special-folder-paths finds the name again from the processed download line.
  setup::SetupState later;
  for (const auto& line : lines) later.script.lines.push_back(line.Serialize());
  later.script.currentLine = 3;
  setup::RunCommandSetSpecialFolderPaths(later);
  EXPECT_EQ(later.specialFolders[L"%PackageA%"], sessiontest::kInstallFolder + L"Downloads\\a.msi");
}

TEST_F(DownloadSession, FailedRunCancelsItsBackgroundJobs) {
  PutSource(kSource, 50 * 1024 * 1024);
  PutScript(kLocalScript, {L"download|name=A|uri=" + kSourceUrl + L"|file-path=a.msi|background=yes",
                           L"download|name=B|uri=file://C:/Server/missing.msi|file-path=b.msi",
                           L"# not reached"});
  EXPECT_EQ(RunSession(L" " + kLocalScript), setup::kRunFail);
  EXPECT_EQ(Results(kLocalCopy), (std::vector<std::wstring>{L"", L"failure", L""}));
  EXPECT_TRUE(Logged("Info\tRun\tReturn code 'fail', canceling BITS download jobs."));
  EXPECT_EQ(transfers().CancelledJobs().size(), 2u) << "the failed foreground job and the background job";
  EXPECT_TRUE(transfers().Jobs().empty());
}

TEST_F(DownloadSession, RerunFindsTheBackgroundJobByItsId) {
  PutSource(kSource, 50 * 1024 * 1024);
  PutScript(kLocalScript, {L"download|name=A|uri=" + kSourceUrl + L"|file-path=a.msi|background=yes"});
  EXPECT_EQ(RunSession(L" " + kLocalScript), setup::kRunSuccess);
  const std::wstring jobId = ReadScript(kLocalCopy).at(0).GetParameter(L"copy-job-id");
  ASSERT_EQ(jobId.size(), 38u);
  ASSERT_EQ(transfers().Jobs().size(), 1u) << "the job outlives the run";
  // The next run of the working copy meets the line again and reuses the job.
  EXPECT_EQ(RunSession(L" " + kLocalCopy), setup::kRunSuccess);
  EXPECT_TRUE(Logged("Info\tDownload\tFound existing copy job with JobID '" + platform::sim::WideToUtf8(jobId) + "'."));
  EXPECT_EQ(ReadScript(kLocalCopy).at(0).GetParameter(L"copy-job-id"), jobId);
  EXPECT_EQ(transfers().Jobs().size(), 1u);
}

TEST_F(DownloadSession, WebScriptRecoveryWhenTheServiceIsDisabled) {
  PutScript(kWebScript, {L"# web"});
  struct Case {
    const char* name;
    bool vista;
    platform::HResult created;
    int expected;
    int spawns, starts;
  } cases[] = {
      {"disabled, Vista: an elevated instance enables it", true, bits::ServiceDisabled, 0, 1, 0},
      {"disabled, XP: enabled here", false, bits::ServiceDisabled, 0, 0, 1},
      {"Wine's file-not-found: an ordinary failure", true, static_cast<platform::HResult>(0x80070002u), 2, 0, 0},
      {"Wine's class-not-registered: an ordinary failure", true, static_cast<platform::HResult>(0x80040154u), 2, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int spawns = 0, starts = 0;
    setup::SessionServices services = setup::DefaultSessionServices();
    services.spawnElevatedInstance = [&](setup::SetupState&, setup::CommandParameters&, const std::wstring& copy) {
      EXPECT_TRUE(copy.empty());
      ++spawns;
      transfers().SetCreateResult(platform::hr::Ok);
      return 0;
    };
    services.startWindowsService = [&](const std::wstring& name) {
      EXPECT_EQ(name, L"BITS");
      ++starts;
      transfers().SetCreateResult(platform::hr::Ok);
      return true;
    };
    transfers().SetCreateResult(c.created);
    state_.isVistaOrLater = c.vista;
    setup::BitsClient client;
    std::wstring source, copy;
    EXPECT_EQ(setup::DownloadScript(state_, L"file://C:/Web/setup/w.crvdat", &source, &copy, client, services), c.expected);
    EXPECT_EQ(spawns, c.spawns);
    EXPECT_EQ(starts, c.starts);
    EXPECT_EQ(state_.rootUri, L"file://C:/Web/setup/");
    EXPECT_EQ(sim().FileBytes(kWorkingCopy).has_value(), c.expected == 0);
    sim().files().Delete(kWorkingCopy);
  }
  EXPECT_TRUE(Logged("Warning\tDownloadScript\tThe BITS service is disabled, spawing an elevated instance to enable it."));
}

}  // namespace
