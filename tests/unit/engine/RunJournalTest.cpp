// The run's progress file: what it gives back after a cut, and when it gives nothing.
#include "setup/engine/RunJournal.h"

#include <gtest/gtest.h>

#include "tests/unit/logging/LogTestSupport.h"

namespace {

using Lines = std::vector<std::wstring>;
const std::wstring kCopy = L"C:\\Users\\User\\AppData\\Local\\Tamber4\\Install\\s.crvdat";

class RunJournalTest : public logtest::LogTest {};

TEST_F(RunJournalTest, ACutRunGivesBackItsLinesAndAnEndedOneNothing) {
  const Lines started = {L"alert|message=a", L"alert|message=b", L"alert|message=c"};
  struct Case {
    const char* what;
    bool synced;       // the run synced its record before the cut
    std::string tail;  // appended to the journal by hand after the run's own records
    Lines asked;       // the lines the new run starts from
    bool sameFile;
    std::optional<Lines> recovered;
  };
  const auto utf16 = [](const std::wstring& text) {
    std::string bytes;
    for (wchar_t c : text) {
      bytes.push_back(static_cast<char>(c & 0xFF));
      bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
  };
  const Lines afterFirst = {L"alert|message=a|result=success", L"alert|message=b", L"alert|message=c"};
  const Case cases[] = {
      {"the rewritten lines come back", true, "", started, false, afterFirst},
      {"a run cut before it synced a record leaves no journal", false, "", started, false,
       std::nullopt},
      {"a record cut in the middle of its writing is left out", true, utf16(L"@1\talert|mess"),
       started, false, afterFirst},
      {"another version of the script starts afresh", true, "", {L"alert|message=z"}, false,
       std::nullopt},
      {"a run of its own working copy takes it whatever it read", true, "", {L"alert|message=z"},
       true, afterFirst},
  };
  sim().files().MakeFolders(L"C:\\Users\\User\\AppData\\Local\\Tamber4\\Install");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim().files().Delete(kCopy + L".progress");
    {
      setup::RunJournal journal(kCopy);
      setup::Script script;
      script.lines = started;
      journal.Start(started);
      script.Set(0, L"alert|message=a|result=failure");
      script.Set(0, L"alert|message=a|result=success");
      if (c.synced) {
        journal.Sync(script);
        EXPECT_TRUE(script.changed.empty());
      }
    }  // cut: the journal is never finished
    if (c.synced)
      sim().PutFile(kCopy + L".progress", *sim().FileBytes(kCopy + L".progress") + c.tail);
    EXPECT_EQ(sim().FileBytes(kCopy + L".progress").has_value(), c.synced);
    EXPECT_EQ(setup::RunJournal(kCopy).Recover(c.asked, c.sameFile), c.recovered);
  }
  // A run that ends in order removes the journal, even one an earlier cut run left that
  // this run never rewrote.
  setup::RunJournal ended(kCopy);
  ended.Start(started);
  ASSERT_TRUE(sim().FileBytes(kCopy + L".progress").has_value());
  ended.Finish();
  EXPECT_EQ(ended.Recover(started, false), std::nullopt);
  EXPECT_FALSE(sim().FileBytes(kCopy + L".progress").has_value());
}

// A run that resumed a cut run and was cut in turn is resumed as a run of the script it read,
// with the lines both runs rewrote; so is a cut run's journal from an earlier build, whose
// opening is the lines its run started from instead of a fingerprint.
TEST_F(RunJournalTest, ACutResumedRunResumesWithWhatBothRunsRewrote) {
  const Lines started = {L"alert|message=a", L"alert|message=b", L"alert|message=c"};
  sim().files().MakeFolders(L"C:\\Users\\User\\AppData\\Local\\Tamber4\\Install");
  // One run of the script read as `read` that resumes what a cut run left and rewrites
  // line `index`, then is cut.
  const auto cutRun = [](const Lines& read, int index) {
    setup::RunJournal journal(kCopy);
    setup::Script script;
    script.Load(read);
    journal.Start(read);
    if (auto recovered = journal.Recover(read, false)) script.lines = *recovered;
    script.Set(index, script.lines[static_cast<std::size_t>(index)] + L"|result=success");
    journal.Sync(script);
  };
  cutRun(started, 0);
  cutRun(started, 1);
  cutRun(started, 2);
  const Lines all = {L"alert|message=a|result=success", L"alert|message=b|result=success",
                     L"alert|message=c|result=success"};
  EXPECT_EQ(setup::RunJournal(kCopy).Recover(started, false), all);
  EXPECT_EQ(setup::RunJournal(kCopy).Recover({L"alert|message=a", L"alert|message=c", L"alert|message=b"}, false),
            std::nullopt) << "the same lines in another order are another script";
  // A resuming run that cannot write its own journal leaves the one it resumed whole.
  sim().files().FailWrites(kCopy + L".progress.tmp", 112);  // ERROR_DISK_FULL
  cutRun(started, 0);
  EXPECT_EQ(setup::RunJournal(kCopy).Recover(started, false), all);
  EXPECT_FALSE(sim().FileBytes(kCopy + L".progress.tmp").has_value());

  const std::wstring earlier = L"\xFEFF#tamber4-progress 3\r\nalert|message=a\r\nalert|message=b\r\n"
                               L"alert|message=c\r\n@2\talert|message=c|result=success\r\n";
  std::string bytes;
  for (wchar_t c : earlier) bytes.append({static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)});
  sim().PutFile(kCopy + L".progress", bytes);
  EXPECT_EQ(setup::RunJournal(kCopy).Recover(started, false),
            (Lines{L"alert|message=a", L"alert|message=b", L"alert|message=c|result=success"}));
  EXPECT_EQ(setup::RunJournal(kCopy).Recover({L"alert|message=z"}, false), std::nullopt);
}

}  // namespace
