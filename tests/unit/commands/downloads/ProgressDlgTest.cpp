// The progress dialog and the job callback: texts, the bar, the number of updates, the
// megabyte arithmetic at the 32-bit edges, and a dialog whose Resume fails.
#include <gtest/gtest.h>

#include "ComUtil/HeapObject.h"
#include "ComUtil/IssueError.h"
#include "platform/Machine.h"
#include "setup/commands/downloads/CopyJobNotification.h"
#include "setup/commands/downloads/ProgressDlg.h"
#include "tests/unit/commands/downloads/DownloadTestSupport.h"

namespace {

using namespace downloadtest;
namespace bits = platform::bits;

TEST(ProgressArithmetic, ByteLineAndBar) {
  const std::wstring text = L"%BYTES-TRANSFERRED% of %BYTES-TOTAL% MB";
  struct Case {
    std::uint32_t transferred, total;
    const wchar_t* line;
    std::uint64_t perMille;
  } cases[] = {
      {7340032, 15728640, L"7 of 15 MB", 466},
      {500000, 900000, L"0 of 0 MB", 555},           // below 1 MB
      {0, 0, L"0 of 0 MB", 0},                        // an empty file: no division by zero
      {0x80000000u, 0xC0000000u, L"2048 of 3072 MB", 666},  // 2 to 4 GiB: unsigned
      {0xFFFFFFFFu, 0xFFFFFFFFu, L"4095 of 4095 MB", 1000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(setup::ByteLine(text, c.transferred, c.total), c.line);
    EXPECT_EQ(setup::PerMille(c.transferred, c.total), c.perMille);
  }
  EXPECT_EQ(setup::PerMille(12345, bits::SizeUnknown), 0u) << "an unknown total posts nothing";
}

// A job that reports the progress the test sets, for the callback's arithmetic.
class ReportingJob : public platform::BackgroundCopyJob {
 public:
  platform::JobProgress progress;
  std::uint32_t state = bits::Transferring;
  platform::HResult AddFile(const std::wstring&, const std::wstring&) override { return 0; }
  platform::HResult Suspend() override { return 0; }
  platform::HResult Resume() override { return 0; }
  platform::HResult Cancel() override { return 0; }
  platform::HResult Complete() override { return 0; }
  platform::HResult GetId(platform::Guid*) override { return 0; }
  platform::HResult GetProgress(platform::JobProgress* p) override { *p = progress; return 0; }
  platform::HResult GetState(std::uint32_t* s) override { *s = state; return 0; }
  platform::HResult GetError(platform::BackgroundCopyError**) override { return platform::hr::Fail; }
  platform::HResult GetDisplayName(std::wstring* n) override { *n = L"Big"; return 0; }
  platform::HResult SetPriority(std::uint32_t) override { return 0; }
  platform::HResult SetNotifyFlags(std::uint32_t) override { return 0; }
  platform::HResult SetNotifyInterface(platform::BackgroundCopyCallback*) override { return 0; }
  platform::HResult SetMinimumRetryDelay(std::uint32_t) override { return 0; }
};

// A dialog that feeds the callback modifications and records what it posts.
class RecordingDialog : public platform::DialogHandler {
 public:
  std::function<void(platform::Window)> onInit;
  std::vector<std::pair<std::uintptr_t, std::intptr_t>> progress;
  bool OnMessage(platform::Window w, std::uint32_t message, std::uintptr_t wp, std::intptr_t lp) override {
    if (message == platform::wm::InitDialog) {
      onInit(w);
      platform::ui().PostWindowMessage(w, 0x9999, 0, 0);
    } else if (message == setup::WM_COPYJOB_PROGRESS) {
      progress.emplace_back(wp, lp);
    } else if (message == 0x9999) {
      platform::ui().EndDialog(w, 0);
    }
    return true;
  }
};

class ProgressDialog : public DownloadTest {};

TEST_F(ProgressDialog, CallbackPostsLow32BitsOnlyWhenThousandthsChange) {
  auto* job = new ComUtil::CHeapObject<ReportingJob, platform::BackgroundCopyJob>();
  job->AddRef();
  ComUtil::ComPtr<platform::BackgroundCopyJob> owner(job);
  auto* callback = new ComUtil::CHeapObject<setup::CCopyJobNotification, platform::BackgroundCopyCallback>();
  callback->AddRef();
  ComUtil::ComPtr<platform::BackgroundCopyCallback> callbackOwner(callback);
  RecordingDialog dialog;
  const std::uint64_t fiveGiB = 5ull << 30;
  dialog.onInit = [&](platform::Window w) {
    callback->JobModification(job, 0);  // not registered yet: ignored
    callback->SetDialogWindow(w);
    job->progress.bytesTotal = bits::SizeUnknown;  // unknown yet: 0 thousandths, nothing posted
    job->progress.bytesTransferred = 4096;
    callback->JobModification(job, 0);
    for (std::uint64_t transferred : {std::uint64_t{0}, std::uint64_t{1} << 20, std::uint64_t{1} << 30, (std::uint64_t{1} << 30) + 1, fiveGiB}) {
      job->progress.bytesTotal = fiveGiB;
      job->progress.bytesTransferred = transferred;
      callback->JobModification(job, 0);
    }
  };
  platform::ui().RunModalDialog(128, 0, dialog);
  // 0 is the starting value, 1 MiB of 5 GiB is still 0; 1 GiB and 1 GiB + 1 are both 200.
  ASSERT_EQ(dialog.progress.size(), 2u);
  EXPECT_EQ(dialog.progress[0].first, 0x40000000u);
  EXPECT_EQ(static_cast<std::uint32_t>(dialog.progress[0].second), static_cast<std::uint32_t>(fiveGiB));
  EXPECT_EQ(dialog.progress[1].first, static_cast<std::uint32_t>(fiveGiB));
}

TEST_F(ProgressDialog, TextsBarAndAtMostAThousandUpdates) {
  // 2,000 KiB at 10 KiB a second: 2,000 modification notifications for 1,000 thousandths.
  PutSource(kSource, 2000 * 1024);
  transfers().SetBytesPerSecond(10 * 1024);
  std::vector<std::wstring> byteLines;
  sim().ui().SetDialogObserver([&](const platform::sim::SimDialog& d) {
    const std::wstring& line = d.itemTexts.at(1003);
    if (byteLines.empty() || byteLines.back() != line) byteLines.push_back(line);
  });
  EXPECT_TRUE(Fetch(kSource, false));
  ASSERT_EQ(sim().ui().Dialogs().size(), 1u);
  const platform::sim::SimDialog& d = sim().ui().Dialogs()[0];
  EXPECT_EQ(d.caption, L"Tamber 4 Setup");
  EXPECT_EQ(d.itemTexts.at(1000), L"Please wait while Setup downloads files");
  EXPECT_EQ(d.itemTexts.at(1002), L"Downloading Package A...");
  EXPECT_EQ(d.itemTexts.at(1003), L"1 of 1 MB");
  EXPECT_EQ(byteLines.front(), L"Progress...") << "until the first progress message";
  EXPECT_EQ(d.rangeLow, 0);
  EXPECT_EQ(d.rangeHigh, 1000);
  // The last report comes while transferring; the transferred notification then closes it.
  EXPECT_GE(d.position, 990);
  EXPECT_LE(d.positionUpdates, 1000);
  EXPECT_GE(d.positionUpdates, 990);
  EXPECT_TRUE(d.centered && d.foreground);
  EXPECT_EQ(d.result, 0);
  EXPECT_TRUE(Logged("Info\tCopyJobNotification\tJob state: transferring."));
}

TEST_F(ProgressDialog, EmptyFileShowsNoProgressAndCompletes) {
  sim().PutFile(kSource, "");
  EXPECT_TRUE(Fetch(kSource, false));
  const platform::sim::SimDialog& d = sim().ui().Dialogs().at(0);
  EXPECT_EQ(d.itemTexts.at(1003), L"Progress...");
  EXPECT_EQ(d.position, 0);
  EXPECT_EQ(*sim().FileBytes(kTarget), "");
}

TEST_F(ProgressDialog, NoAnswerKeepsTheDialogAndTheTransferGoesOn) {
  PutSource(kSource, 8 * 1024 * 1024);
  sim().ui().QueueDialogCommand(300, platform::mb::IdCancel);
  sim().ui().QueueDialogCommand(600, platform::mb::IdCancel);
  sim().QueueAnswer(platform::mb::IdNo);
  sim().QueueAnswer(platform::mb::IdNo);
  EXPECT_TRUE(Fetch(kSource, false));
  EXPECT_EQ(CountLogged("Info\tOnCancel\tCancel download dialog displayed, user declined to abort."), 2);
  ASSERT_EQ(sim().Boxes().size(), 2u);
  EXPECT_EQ(platform::sim::WideToUtf8(sim().Boxes()[0].request.text), "Do you want to cancel Setup?");
  const std::uint32_t asked = platform::mb::YesNo | platform::mb::UserIcon;
  EXPECT_EQ(sim().Boxes()[0].request.style & asked, asked);
}

TEST_F(ProgressDialog, FailingResumeEndsTheDialogAsACOMError) {
  PutSource(kSource, 10);
  sim().files().Delete(kSource);
  // A job whose file was never added cannot be resumed (BG_E_EMPTY): made by hand here.
  ComUtil::ComPtr<platform::BackgroundCopyManager> manager;
  sim().com().Initialize();
  ASSERT_EQ(platform::transfers().CreateManager(bits::ClassContextAll, manager.Receive()), 0);
  ComUtil::ComPtr<platform::BackgroundCopyJob> job;
  platform::Guid id;
  ASSERT_EQ(manager->CreateJob(L"Empty", bits::JobTypeDownload, &id, job.Receive()), 0);
  auto* callback = new ComUtil::CHeapObject<setup::CCopyJobNotification, platform::BackgroundCopyCallback>();
  callback->AddRef();
  ComUtil::ComPtr<platform::BackgroundCopyCallback> owner(callback);
  setup::CProgressDlg dialog(job.get(), *callback);
  std::intptr_t result = 0;
  const std::exception_ptr failure = dialog.DoModal(0, &result);
  ASSERT_TRUE(failure);
  EXPECT_EQ(result, -1);
  try {
    std::rethrow_exception(failure);
  } catch (const ComUtil::_com_error& error) {
    EXPECT_EQ(static_cast<std::uint32_t>(error.Error()), 0x80200003u);
  }
}

}  // namespace
