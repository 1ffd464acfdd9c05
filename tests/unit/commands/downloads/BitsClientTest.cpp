// The download client against the simulated transfer service: foreground downloads with the
// dialog, background jobs and their take-over, failures and the cancelling of a failed run.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "platform/sim/SimErrors.h"
#include "tests/unit/commands/downloads/DownloadTestSupport.h"

namespace {

using namespace downloadtest;
namespace bits = platform::bits;

const char kFailureBox[] = "Setup was unable to download a required file.";

struct ForegroundCase {
  const char* name;
  std::function<void(platform::sim::SimMachine&)> arrange;
  std::wstring uri;
  bool expected;
  int boxes;             // message boxes shown
  const char* logLine;   // a line the log must hold
  std::size_t jobsLeft = 0;  // a COM error releases the job without cancelling it
};

TEST_F(DownloadTest, ForegroundDownloadOutcomes) {
  using M = platform::sim::SimMachine;
  const std::vector<ForegroundCase> cases = {
      {"local path", [](M&) {}, kSource, true, 0, "Info\tDownload\tCreating BITS job with foreground priority."},
      {"file address", [](M&) {}, kSourceUrl, true, 0, "Info\tDownload\tCreating BITS background copy manager."},
      {"missing source", [](M&) {}, L"C:\\Server\\none.msi", false, 1,
       "Error\tDownload\tFailed to download file. BITS context 5, description: The transfer failed with error 0x80070002."},
      {"HTTP 404", [](M& m) { m.transfers().AddFailure({kSourceUrl, bits::HttpError404, 5}); }, kSourceUrl, false, 1,
       "Error\tCopyJobNotification\tJob error notification received, job 'Package A', error 'The transfer failed with error 0x80190194.'."},
      {"cancelled, yes", [](M& m) { m.ui().QueueDialogCommand(50, platform::mb::IdCancel); m.QueueAnswer(platform::mb::IdYes); },
       kSource, false, 2, "Info\tOnCancel\tCancel download dialog displayed, user chose to abort."},
      {"enter, yes", [](M& m) { m.ui().QueueDialogCommand(50, platform::mb::IdOk); m.QueueAnswer(platform::mb::IdYes); },
       kSource, false, 2, "Error\tDownload\tFailed to download file, failed to retrieve copy job's error information."},
      {"cancelled, no", [](M& m) { m.ui().QueueDialogCommand(50, platform::mb::IdCancel); m.QueueAnswer(platform::mb::IdNo); },
       kSource, true, 1, "Info\tOnCancel\tCancel download dialog displayed, user declined to abort."},
      {"no notifications", [](M& m) { m.transfers().SetDeliveredNotifications(0); }, kSource, true, 0,
       "Info\tProgressDialog\tJob reached state 6 without a notification, ending the dialog."},
      {"error never notified", [](M& m) { m.transfers().SetDeliveredNotifications(bits::NotifyJobTransferred); },
       L"C:\\Server\\none.msi", false, 1, "Info\tProgressDialog\tJob reached state 4 without a notification, ending the dialog."},
      {"service disabled", [](M& m) { m.transfers().SetCreateResult(bits::ServiceDisabled); }, kSource, false, 1,
       "Error\tDownload\tCOM error '0x80070422', 'The service cannot be started, either because it is disabled or because it has no enabled devices associated with it."},
      {"address served from a file", [](M& m) { m.transfers().AddWebFile({L"http://dl.example/a.msi", kSource}); },
       L"HTTP://DL.example/a.msi", true, 0, "Info\tDownload\tCreating BITS job with foreground priority."},
      {"address below a served folder", [](M& m) { m.transfers().AddWebFile({L"http://dl.example/files/", L"C:\\Server\\files"}); },
       L"http://dl.example/files/a.msi?v=2", true, 0, "Info\tDownload\tCreating BITS job with foreground priority."},
      {"missing below a served folder", [](M&) {}, L"http://dl.example/files/none.msi", false, 1,
       "Error\tDownload\tFailed to download file. BITS context 5, description: The transfer failed with error 0x80190194."},
      // The machine stays offline from here on.
      {"offline", [](M& m) { m.transfers().SetOffline(true); }, L"http://elsewhere.example/a.msi", false, 1,
       "Error\tDownload\tFailed to download file. BITS context 5, description: The transfer failed with error 0x80072EE7."},
      {"target folder missing", [](M& m) { std::filesystem::remove_all(m.files().HostPath(sessiontest::kInstallFolder)); }, kSource, false, 1,
       "Error\tDownload\tCOM error '0x80070003', 'The system cannot find the path specified.", 1},
  };
  for (const ForegroundCase& c : cases) {
    SCOPED_TRACE(c.name);
    platform::sim::SimMachine& m = sim();
    m.files().MakeFolders(sessiontest::kInstallFolder);
    m.transfers().SetCreateResult(platform::hr::Ok);
    m.transfers().SetDeliveredNotifications(bits::NotifyJobTransferred | bits::NotifyJobError | bits::NotifyJobModification);
    m.files().Delete(kTarget);
    m.ui().ClearAnswers();
    PutSource(kSource, 3 * 1024 * 1024);
    c.arrange(m);
    setup::BitsClient client;
    const std::size_t boxesBefore = m.Boxes().size();
    std::wstring jobId;
    bool found = false;
    EXPECT_EQ(client.Download(c.uri, L"Package A", kTarget, false, &jobId, &found), c.expected);
    EXPECT_FALSE(found);
    EXPECT_TRUE(jobId.empty());
    EXPECT_EQ(m.Boxes().size() - boxesBefore, static_cast<std::size_t>(c.boxes));
    if (!c.expected) EXPECT_EQ(platform::sim::WideToUtf8(m.Boxes().back().request.text), kFailureBox);
    EXPECT_EQ(m.FileBytes(kTarget).has_value(), c.expected);
    EXPECT_TRUE(Logged(c.logLine)) << c.logLine;
    EXPECT_EQ(transfers().Jobs().size(), c.jobsLeft);
  }
}

TEST_F(DownloadTest, BackgroundJobTakenOverByForeground) {
  PutSource(kSource, 8 * 1024 * 1024);  // two seconds at the default rate
  std::wstring jobId;
  ASSERT_TRUE(Fetch(kSource, true, &jobId));
  ASSERT_EQ(jobId.size(), 38u);
  EXPECT_EQ(jobId.find_first_of(L"abcdef"), std::wstring::npos) << "JobIDs are upper-case";
  EXPECT_EQ(client_.DownloadJobMap().at(kSource), jobId);
  const auto jobs = transfers().Jobs();
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].priority, bits::PriorityNormal);
  EXPECT_EQ(jobs[0].minimumRetryDelay, 60u);

  // Still transferring: the foreground call raises the job and shows the dialog.
  sim().clock().Advance(500);
  bool found = false;
  EXPECT_TRUE(Fetch(kSource, false, nullptr, &found));
  EXPECT_TRUE(found);
  EXPECT_EQ(sim().ui().Dialogs().size(), 1u);
  EXPECT_TRUE(client_.DownloadJobMap().empty());
  EXPECT_TRUE(Logged("Info\tDownload\tExisting copy job is running, setting priority to foreground and displaying progress dialog."));
  EXPECT_EQ(sim().FileBytes(kTarget)->size(), 8u * 1024 * 1024);

  // Already transferred: completed at once, no dialog.
  std::wstring second;
  ASSERT_TRUE(Fetch(kSourceUrl, true, &second));
  EXPECT_NE(second, jobId);
  sim().clock().Advance(10'000);
  found = false;
  EXPECT_TRUE(Fetch(kSourceUrl, false, nullptr, &found));
  EXPECT_TRUE(found);
  EXPECT_EQ(sim().ui().Dialogs().size(), 1u);
  EXPECT_TRUE(Logged("Info\tDownload\tExisting copy job state is 'transferred', state set to complete with result 0x00000000."));
  EXPECT_TRUE(transfers().Jobs().empty());
}

TEST_F(DownloadTest, BackgroundCallsAndJobIds) {
  PutSource(kSource, 1024);
  struct Case {
    const char* name;
    std::wstring jobIdIn;
    bool reused;
    const char* logLine;
  };
  std::wstring existing;
  ASSERT_TRUE(Fetch(kSource, true, &existing));
  const std::vector<Case> cases = {
      {"known job", existing, true, "Info\tDownload\tFound existing copy job with JobID '%s'."},
      {"unknown job", L"{00000000-1111-2222-3333-444444444444}", false,
       "Warning\tDownload\tCould not find copy job with JobID '{00000000-1111-2222-3333-444444444444}'."},
      {"not a GUID", L"job-7", false, "Warning\tDownload\tCould not find copy job with JobID 'job-7'."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::wstring jobId = c.jobIdIn;
    EXPECT_TRUE(Fetch(kSource, true, &jobId));
    EXPECT_EQ(jobId == c.jobIdIn, c.reused);
    EXPECT_EQ(client_.DownloadJobMap().at(kSource), jobId);
    std::string line = c.logLine;
    const std::size_t at = line.find("%s");
    if (at != std::string::npos) line.replace(at, 2, platform::sim::WideToUtf8(existing));
    EXPECT_TRUE(Logged(line)) << line;
  }
  // A transferred background job is left for the foreground line to complete.
  sim().clock().Advance(10'000);
  std::wstring jobId = existing;
  EXPECT_TRUE(Fetch(kSource, true, &jobId));
  EXPECT_FALSE(sim().FileBytes(kTarget).has_value());
}

TEST_F(DownloadTest, FailedBackgroundJobFailsTheForegroundLineThatTakesItOver) {
  transfers().AddFailure({kSourceUrl, bits::HttpError(500), 5});
  std::wstring jobId;
  ASSERT_TRUE(Fetch(kSourceUrl, true, &jobId));  // queued: fine for a background call
  sim().clock().Advance(1'000);
  bool found = false;
  EXPECT_FALSE(Fetch(kSourceUrl, false, nullptr, &found));
  EXPECT_TRUE(found);
  EXPECT_TRUE(Logged("Info\tDownload\tFound existing copy job with JobID '" + platform::sim::WideToUtf8(jobId) + "', state 4."));
  EXPECT_TRUE(Logged("Error\tDownload\tFailed to download file. BITS context 5, description: The transfer failed with error 0x801901F4."));
  EXPECT_EQ(transfers().CancelledJobs().size(), 1u);
  EXPECT_EQ(sim().Boxes().size(), 1u);
}

TEST_F(DownloadTest, ReadOnlyTargetIsDeletedFirst) {
  PutSource(kSource, 10);
  sim().PutFile(kTarget, "old");
  sim().files().SetReadOnly(kTarget, true);
  EXPECT_TRUE(Fetch(kSource, false));
  EXPECT_EQ(*sim().FileBytes(kTarget), "abcdefghij");
  EXPECT_FALSE(Logged("Error\tDownload\tFailed to delete target file"));
}

TEST_F(DownloadTest, UndeletableTargetIsLoggedAndTheDownloadGoesOn) {
  PutSource(kSource, 10);
  sim().PutFile(kTarget, "old");
  sim().files().FailPath(kTarget, platform::err::SharingViolation, 1);
  EXPECT_TRUE(Fetch(kSource, false));
  EXPECT_TRUE(Logged("Error\tDownload\tFailed to delete target file '" + platform::sim::WideToUtf8(kTarget) +
                     "' with attributes 0x20, GetLastError: 0x20, 'The process cannot access the file because it is being used by another process.'."));
}

TEST_F(DownloadTest, CancelBackgroundCopyJobsCancelsTheRunsJobsOnly) {
  client_.CancelBackgroundCopyJobs();
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Info\tCancelBackgroundCopyJobs\tChecking for background copy jobs."}));
  PutSource(kSource, 10 * 1024 * 1024);
  std::wstring first, second;
  ASSERT_TRUE(Fetch(kSource, true, &first));
  ASSERT_TRUE(Fetch(kSourceUrl, true, &second));
  ASSERT_TRUE(Fetch(kSourceUrl, false));  // taken over: no longer the run's background job
  std::wstring third;
  bool found = false;
  ASSERT_TRUE(client_.Download(L"C:\\Server\\files\\b.msi", L"B", L"C:\\b.msi", true, &third, &found));
  client_.CancelBackgroundCopyJobs();
  EXPECT_TRUE(Logged("Info\tCancelBackgroundCopyJobs\tCancelling background copy job with source URI '" +
                     platform::sim::WideToUtf8(kSource) + "', JobID '" + platform::sim::WideToUtf8(first) + "'."));
  EXPECT_EQ(client_.DownloadJobMap().size(), 2u);
  EXPECT_TRUE(transfers().Jobs().empty());
}

}  // namespace
