// The run's progress file: what it gives back after a cut, and when it gives nothing.
#include "setup/engine/RunJournal.h"

#include <gtest/gtest.h>

#include "setup/engine/ScriptFile.h"
#include "tests/unit/logging/LogTestSupport.h"
#include "text/Utf.h"

namespace {

using Lines = std::vector<std::wstring>;
const std::wstring kCopy = L"C:\\Users\\User\\AppData\\Local\\Tamber4\\Install\\s.crvdat";
const std::wstring kSource = L"C:\\Media\\s.crvdat";

// A script as a run reads it: its lines and its fingerprint.
struct Read {
  Lines lines;
  std::uint64_t fingerprint = 0;
};

class RunJournalTest : public logtest::LogTest {
 protected:
  void SetUp() override {
    LogTest::SetUp();
    sim().files().MakeFolders(L"C:\\Users\\User\\AppData\\Local\\Tamber4\\Install");
    sim().files().MakeFolders(L"C:\\Media");
  }

  // `lines` saved as a script file and read back as a run reads them.
  Read ReadOf(const Lines& lines) {
    std::wstring text(1, 0xFEFF);
    for (const std::wstring& line : lines) text.append(line).append(L"\r\n");
    sim().PutFile(kSource, text::WideToUtf16Le(text));
    Read read;
    read.lines = *setup::ReadScriptLines(kSource, L"", &read.fingerprint);
    return read;
  }

  std::optional<Lines> Recover(const Read& read, bool sameFile) {
    return setup::RunJournal(kCopy).Recover(read.lines, read.fingerprint, sameFile);
  }
};

TEST_F(RunJournalTest, ACutRunGivesBackItsLinesAndAnEndedOneNothing) {
  const Read started = ReadOf({L"alert|message=a", L"alert|message=b", L"alert|message=c"});
  struct Case {
    const char* what;
    bool synced;       // the run synced its record before the cut
    std::string tail;  // appended to the journal by hand after the run's own records
    Lines asked;       // the lines the new run reads
    bool sameFile;
    std::optional<Lines> recovered;
  };
  const Lines afterFirst = {L"alert|message=a|result=success", L"alert|message=b", L"alert|message=c"};
  const Case cases[] = {
      {"the rewritten lines come back", true, "", started.lines, false, afterFirst},
      {"a run cut before it synced a record leaves no journal", false, "", started.lines, false,
       std::nullopt},
      {"a record cut in the middle of its writing is left out",
       true, text::WideToUtf16Le(L"@1\talert|mess"), started.lines, false, afterFirst},
      {"a record after the opening is applied", true,
       text::WideToUtf16Le(L"@2\talert|message=c|result=failure\r\n"), started.lines, false,
       Lines{afterFirst[0], afterFirst[1], L"alert|message=c|result=failure"}},
      {"another version of the script starts afresh", true, "", {L"alert|message=z"}, false,
       std::nullopt},
      {"the same lines in another order are another script", true, "",
       {L"alert|message=a", L"alert|message=c", L"alert|message=b"}, false, std::nullopt},
      {"a run of its own working copy takes it whatever it read", true, "", {L"alert|message=z"},
       true, afterFirst},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim().files().Delete(kCopy + L".progress");
    {
      setup::RunJournal journal(kCopy);
      setup::Script script;
      script.Load(started.lines);
      journal.Start(started.fingerprint);
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
    EXPECT_EQ(Recover(ReadOf(c.asked), c.sameFile), c.recovered);
  }
  // A run that ends in order removes the journal, even one an earlier cut run left that
  // this run never rewrote.
  setup::RunJournal ended(kCopy);
  ended.Start(started.fingerprint);
  ASSERT_TRUE(sim().FileBytes(kCopy + L".progress").has_value());
  ended.Finish();
  EXPECT_EQ(Recover(started, false), std::nullopt);
  EXPECT_FALSE(sim().FileBytes(kCopy + L".progress").has_value());
}

// A run that resumed a cut run and was cut in turn is resumed as a run of the script it read,
// with the lines both runs rewrote; so is a cut run's journal from an earlier build, whose
// opening is the lines its run started from instead of a fingerprint.
TEST_F(RunJournalTest, ACutResumedRunResumesWithWhatBothRunsRewrote) {
  const Read started = ReadOf({L"alert|message=a", L"alert|message=b", L"alert|message=c"});
  // One run of `started` that resumes what a cut run left and rewrites line `index`, then
  // is cut.
  const auto cutRun = [&started](int index) {
    setup::RunJournal journal(kCopy);
    setup::Script script;
    script.Load(started.lines);
    journal.Start(started.fingerprint);
    if (auto recovered = journal.Recover(started.lines, started.fingerprint, false))
      script.lines = *recovered;
    script.Set(index, script.lines[static_cast<std::size_t>(index)] + L"|result=success");
    journal.Sync(script);
  };
  cutRun(0);
  cutRun(1);
  cutRun(2);
  const Lines all = {L"alert|message=a|result=success", L"alert|message=b|result=success",
                     L"alert|message=c|result=success"};
  EXPECT_EQ(Recover(started, false), all);
  // A resuming run that cannot write its own journal leaves the one it resumed whole.
  sim().files().FailWrites(kCopy + L".progress.tmp", 112);  // ERROR_DISK_FULL
  cutRun(0);
  EXPECT_EQ(Recover(started, false), all);
  EXPECT_FALSE(sim().FileBytes(kCopy + L".progress.tmp").has_value());

  sim().PutFile(kCopy + L".progress",
                text::WideToUtf16Le(L"\xFEFF#tamber4-progress 3\r\nalert|message=a\r\nalert|message=b\r\n"
                                    L"alert|message=c\r\n@2\talert|message=c|result=success\r\n"));
  EXPECT_EQ(Recover(started, false),
            (Lines{L"alert|message=a", L"alert|message=b", L"alert|message=c|result=success"}));
  EXPECT_EQ(Recover(ReadOf({L"alert|message=z"}), false), std::nullopt);
}

}  // namespace
