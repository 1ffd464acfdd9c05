// The "wait" command and the process list it searches, on the simulated machine's clock.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ComUtil/IssueError.h"
#include "WinUtil/SdkProcess.h"
#include "setup/commands/processes/ProcessCommands.h"
#include "tests/unit/support/SimSessionSupport.h"

namespace {

using platform::sim::kRunsForever;
using platform::sim::SimProgram;

const std::wstring kApp = L"C:\\Program Files\\App\\app.exe";

class Wait : public sessiontest::SessionTest {
 public:
  std::uint32_t Run(const std::wstring& path, SimProgram program) {
    return sim().processes().RunProcess(path, program);
  }

 protected:
  void SetUp() override { ASSERT_TRUE(logging::OpenLog(0, true, true)); }

  // `text` with "{N}" and "{xN}" replaced by the Nth process id in decimal and in hex.
  static std::string Expand(std::string text, const std::vector<std::uint32_t>& ids) {
    for (std::size_t i = 0; i < ids.size(); ++i) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "%x", ids[i]);
      for (const auto& [token, value] :
           {std::pair{"{" + std::to_string(i) + "}", std::to_string(ids[i])},
            std::pair{"{x" + std::to_string(i) + "}", std::string(hex)}})
        for (std::size_t at; (at = text.find(token)) != std::string::npos;)
          text.replace(at, token.size(), value);
    }
    return text;
  }

  // The number of log messages that start with `prefix` (the source place of an issued
  // error follows it).
  int CountStarting(const std::string& prefix) {
    int count = 0;
    for (const std::string& message : Messages()) count += message.rfind(prefix, 0) == 0;
    return count;
  }

  // The RunCommandWait lines of the log, in order.
  std::vector<std::string> WaitLines() {
    std::vector<std::string> lines;
    for (const std::string& message : Messages())
      if (message.find("\tRunCommandWait\t") != std::string::npos ||
          message.find("\tException\t") != std::string::npos)
        lines.push_back(message);
    return lines;
  }
};

// What became of a process: still running, ended by itself (exit code 0), or ended by the
// wait (exit code 1).
enum After { kRuns, kEnded, kTerminated };

struct WaitCase {
  const char* what;
  // Starts the machine's processes; returns the ids the expectations name as {0}, {1}...
  std::function<std::vector<std::uint32_t>(Wait&)> arrange;
  std::wstring line;
  std::wstring result;
  std::uint64_t elapsedMs;
  std::vector<std::string> log;
  std::vector<After> after;  // per id
};

TEST_F(Wait, PausesWaitsAndEndsProcessesAsTheLineAsks) {
  const WaitCase cases[] = {
      {"seconds wins over the process parameters",
       [](Wait& t) { return std::vector{t.Run(kApp, {0, kRunsForever})}; },
       L"wait|seconds=5|process-name=app.exe|process-id=8", L"success", 5000,
       {"Info\tRunCommandWait\tWaiting for 5 seconds."}, {kRuns}},
      {"a name no process has: no wait",
       [](Wait& t) { return std::vector{t.Run(L"C:\\other.exe", {0, kRunsForever})}; },
       L"wait|process-name=app.exe", L"success", 0, {}, {kRuns}},
      {"two instances, no life-span: each in turn, a short pause after the second",
       [](Wait& t) { return std::vector{t.Run(kApp, {0, 3000}), t.Run(kApp, {0, 8000})}; },
       L"wait|process-name=app.exe", L"success", 9000,
       {"Info\tRunCommandWait\tProcess ID for 'app.exe' is {0} (0x{x0}).",
        "Info\tRunCommandWait\tWaiting forever for process with ID {0} (0x{x0}) to shut down",
        "Info\tRunCommandWait\tTermination pending.",
        "Info\tRunCommandWait\tProcess ID for 'app.exe' is {1} (0x{x1}).",
        "Info\tRunCommandWait\tWaiting forever for process with ID {1} (0x{x1}) to shut down",
        "Info\tRunCommandWait\tTermination pending, waiting 1000 milliseconds and checking again."},
       {kEnded, kEnded}},
      {"two instances that end within their life-span: the pause is the life-span",
       [](Wait& t) { return std::vector{t.Run(kApp, {0, 1000}), t.Run(kApp, {0, 2000})}; },
       L"wait|process-name=app.exe|life-span=3", L"success", 5000,
       {"Info\tRunCommandWait\tProcess ID for 'app.exe' is {0} (0x{x0}).",
        "Info\tRunCommandWait\tWaiting 3000 milliseconds for process with ID {0} (0x{x0}) to shut down.",
        "Info\tRunCommandWait\tTermination pending.",
        "Info\tRunCommandWait\tProcess ID for 'app.exe' is {1} (0x{x1}).",
        "Info\tRunCommandWait\tWaiting 3000 milliseconds for process with ID {1} (0x{x1}) to shut down.",
        "Info\tRunCommandWait\tTermination pending, waiting 3000 milliseconds and checking again."},
       {kEnded, kEnded}},
      {"life-span 10 for a process that does not end: ended, then the list is searched again",
       [](Wait& t) { return std::vector{t.Run(kApp, {0, kRunsForever})}; },
       L"wait|process-name=app.exe|life-span=10", L"success", 10000,
       {"Info\tRunCommandWait\tProcess ID for 'app.exe' is {0} (0x{x0}).",
        "Info\tRunCommandWait\tWaiting 10000 milliseconds for process with ID {0} (0x{x0}) to shut down.",
        "Info\tRunCommandWait\tProcess with ID {0} (0x{x0}) didn't exit in 10 seconds; terminating, "
        "checking for another process by the same name."},
       {kTerminated}},
      {"life-span 0 ends a running process at once, and its second instance too",
       [](Wait& t) { return std::vector{t.Run(kApp, {0, kRunsForever}), t.Run(kApp, {0, kRunsForever})}; },
       L"wait|process-name=app.exe|life-span=0", L"success", 0,
       {"Info\tRunCommandWait\tProcess ID for 'app.exe' is {0} (0x{x0}).",
        "Info\tRunCommandWait\tWaiting 0 milliseconds for process with ID {0} (0x{x0}) to shut down.",
        "Info\tRunCommandWait\tProcess with ID {0} (0x{x0}) didn't exit in 0 seconds; terminating, "
        "checking for another process by the same name.",
        "Info\tRunCommandWait\tProcess ID for 'app.exe' is {1} (0x{x1}).",
        "Info\tRunCommandWait\tWaiting 0 milliseconds for process with ID {1} (0x{x1}) to shut down.",
        "Info\tRunCommandWait\tProcess with ID {1} (0x{x1}) didn't exit in 0 seconds; terminating, "
        "checking for another process by the same name."},
       {kTerminated, kTerminated}},
      {"a negative life-span is over already",
       [](Wait& t) { return std::vector{t.Run(kApp, {0, kRunsForever})}; },
       L"wait|process-name=app.exe|life-span=-4", L"success", 0,
       {"Info\tRunCommandWait\tProcess ID for 'app.exe' is {0} (0x{x0}).",
        "Info\tRunCommandWait\tWaiting 0 milliseconds for process with ID {0} (0x{x0}) to shut down.",
        "Info\tRunCommandWait\tProcess with ID {0} (0x{x0}) didn't exit in 0 seconds; terminating, "
        "checking for another process by the same name."},
       {kTerminated}},
      {"an id whose process has ended: cannot be opened, success at once",
       [](Wait& t) {
         const std::uint32_t id = t.Run(kApp, {0, 0});
         return std::vector{id};
       },
       L"wait|process-id={0}", L"success", 0, {}, {kEnded}},
      {"an id with a life-span: one pass only, no search by name afterwards",
       [](Wait& t) { return std::vector{t.Run(kApp, {0, kRunsForever}), t.Run(kApp, {0, kRunsForever})}; },
       L"wait|process-id={1}|process-name=app.exe|life-span=2", L"success", 2000,
       {"Info\tRunCommandWait\tWaiting 2000 milliseconds for process with ID {1} (0x{x1}) to shut down.",
        "Info\tRunCommandWait\tProcess with ID {1} (0x{x1}) didn't exit in 2 seconds; terminating, "
        "checking for another process by the same name."},
       {kRuns, kTerminated}},
      {"case is ignored, length is not",
       [](Wait& t) {
         return std::vector{t.Run(L"C:\\myapp.exe", {0, kRunsForever}), t.Run(L"C:\\APP.EXE", {0, 2000})};
       },
       L"wait|process-name=app.exe", L"success", 2000,
       {"Info\tRunCommandWait\tProcess ID for 'app.exe' is {1} (0x{x1}).",
        "Info\tRunCommandWait\tWaiting forever for process with ID {1} (0x{x1}) to shut down",
        "Info\tRunCommandWait\tTermination pending."},
       {kRuns, kEnded}},
      {"a process that ignores its termination ends the wait",
       [](Wait& t) {
         SimProgram stubborn{0, kRunsForever};
         stubborn.ignoresTermination = true;
         return std::vector{t.Run(kApp, stubborn)};
       },
       L"wait|process-name=app.exe|life-span=1", L"success", 1000,
       {"Info\tRunCommandWait\tProcess ID for 'app.exe' is {0} (0x{x0}).",
        "Info\tRunCommandWait\tWaiting 1000 milliseconds for process with ID {0} (0x{x0}) to shut down.",
        "Info\tRunCommandWait\tProcess with ID {0} (0x{x0}) didn't exit in 1 seconds; terminating, "
        "checking for another process by the same name."},
       {kRuns}},
      {"a process that cannot be opened ends the wait",
       [](Wait& t) {
         SimProgram guarded{0, kRunsForever};
         guarded.refusesOpen = true;
         return std::vector{t.Run(kApp, guarded)};
       },
       L"wait|process-name=app.exe|life-span=1", L"success", 0,
       {"Info\tRunCommandWait\tProcess ID for 'app.exe' is {0} (0x{x0})."}, {kRuns}},
      {"without any of its parameters nothing happens and the preset result stays",
       [](Wait& t) { return std::vector{t.Run(kApp, {0, kRunsForever})}; },
       L"wait|life-span=1", L"failure", 0, {}, {kRuns}},
  };
  const std::size_t handles = sim().kernel().OpenHandleCount();
  for (const WaitCase& c : cases) {
    SCOPED_TRACE(c.what);
    logging::ResetLogForTesting();
    sim().PutFile(logtest::kTempLogPath, "");
    ASSERT_TRUE(logging::OpenLog(0, true, true));
    const std::vector<std::uint32_t> ids = c.arrange(*this);
    std::wstring text = c.line;
    for (std::size_t i = 0; i < ids.size(); ++i) {
      const std::wstring token = L"{" + std::to_wstring(i) + L"}";
      if (auto at = text.find(token); at != std::wstring::npos)
        text.replace(at, token.size(), std::to_wstring(ids[i]));
    }
    setup::CommandParameters line;
    line.Parse(text);
    line.SetResult(setup::LineResult::Failure);
    const std::uint64_t start = sim().clock().Ticks();
    setup::RunCommandWait(line);
    EXPECT_EQ(line.Result(), c.result);
    EXPECT_EQ(sim().clock().Ticks() - start, c.elapsedMs);
    std::vector<std::string> expected;
    for (const std::string& entry : c.log) expected.push_back(Expand(entry, ids));
    EXPECT_EQ(WaitLines(), expected);
    ASSERT_EQ(ids.size(), c.after.size());
    for (std::size_t i = 0; i < ids.size(); ++i) {
      const std::optional<std::uint32_t> exitCode = sim().processes().ExitCodeOf(ids[i]);
      EXPECT_EQ(exitCode, c.after[i] == kRuns ? std::nullopt
                                              : std::optional<std::uint32_t>(c.after[i] == kTerminated))
          << "process " << i;
    }
    EXPECT_EQ(sim().kernel().OpenHandleCount(), handles);
    // End what a case left running, so the next one starts from an empty list.
    for (std::uint32_t id : ids) sim().processes().EndProcess(id);
  }
}

TEST_F(Wait, OpensWithTheRightToEndOnlyWhenALifeSpanIsGiven) {
  const std::uint32_t id = Run(kApp, {0, 500});
  setup::CommandParameters line;
  line.Parse(L"wait|process-id=" + std::to_wstring(id));
  setup::RunCommandWait(line);
  line.Parse(L"wait|process-name=app.exe|life-span=3");
  const std::uint32_t second = Run(kApp, {0, kRunsForever});
  setup::RunCommandWait(line);
  const auto& opens = sim().processes().Opens();
  ASSERT_EQ(opens.size(), 2u);
  EXPECT_EQ(opens[0].processId, id);
  EXPECT_EQ(opens[0].access, platform::processaccess::Synchronize);
  EXPECT_EQ(opens[1].processId, second);
  EXPECT_EQ(opens[1].access, platform::processaccess::Synchronize | platform::processaccess::Terminate);
}

TEST_F(Wait, ASecondsValueThatIsNotPositiveRaises) {
  for (const wchar_t* seconds : {L"0", L"-3", L"soon", L""}) {
    setup::CommandParameters line;
    line.Parse(std::wstring(L"wait|seconds=") + seconds);
    EXPECT_THROW(setup::RunCommandWait(line), ComUtil::_com_error) << seconds;
    EXPECT_EQ(sim().process().SleptMilliseconds(), 0u);
  }
  EXPECT_EQ(CountStarting("Error\tIssueError\tIssuing exception 0x80004005: Unspecified error [Wait("), 4);
}

// --- The process list.

struct Seen {
  std::vector<std::pair<std::uint32_t, std::wstring>> entries;
  std::size_t stopAfter = 0;  // 0: never stop
};

bool Record(std::uint32_t processId, const std::wstring& exeFile, void* context) {
  auto* seen = static_cast<Seen*>(context);
  seen->entries.emplace_back(processId, exeFile);
  return seen->stopAfter == 0 || seen->entries.size() < seen->stopAfter;
}

TEST_F(Wait, TheProcessListComesFromThePathOfTheSystem) {
  using platform::ProcessListLibrary;
  struct Case {
    const char* what;
    std::uint32_t platformId, major;
    std::optional<ProcessListLibrary> missing;  // a library that cannot be loaded
    bool enumerated;
    bool listed;  // the processes were reported
  };
  const Case cases[] = {
      {"NT 4.0 uses PSAPI", 2, 4, ProcessListLibrary::Toolhelp, true, true},
      {"NT 5.0 and later use toolhelp", 2, 5, ProcessListLibrary::Psapi, true, true},
      {"Windows 10 uses toolhelp", 2, 10, ProcessListLibrary::Psapi, true, true},
      {"the 9x family uses toolhelp", 1, 4, ProcessListLibrary::Psapi, true, true},
      {"NT 3.51 has neither", 2, 3, std::nullopt, false, false},
      {"Win32s has neither", 0, 3, std::nullopt, false, false},
      {"PSAPI missing on NT 4.0", 2, 4, ProcessListLibrary::Psapi, false, false},
      {"toolhelp missing on XP", 2, 5, ProcessListLibrary::Toolhelp, false, false},
  };
  const std::size_t handles = sim().kernel().OpenHandleCount();
  const std::uint32_t first = Run(kApp, {0, kRunsForever});
  const std::uint32_t second = Run(L"D:\\Tools\\Other.exe", {0, kRunsForever});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::OsVersion version;
    version.platformId = c.platformId;
    version.major = c.major;
    sim().system().SetVersion(version);
    for (auto library : {ProcessListLibrary::Toolhelp, ProcessListLibrary::Psapi})
      sim().processes().FailProcessListLibrary(library, library == c.missing ? 126 : 0);
    Seen seen;
    EXPECT_EQ(WinUtil::EnumerateProcesses(Record, &seen), c.enumerated);
    const decltype(seen.entries) all{{first, L"app.exe"}, {second, L"Other.exe"}};
    EXPECT_EQ(seen.entries, c.listed ? all : decltype(seen.entries){});
    EXPECT_EQ(sim().kernel().OpenHandleCount(), handles);
  }
  EXPECT_EQ(CountStarting("Error\tException\tException 0x8007007e: The specified module could not be found. [SdkProcess("), 2);
}

TEST_F(Wait, PsapiListsEveryProcessAndLeavesUnreadableNamesEmpty) {
  platform::OsVersion nt4;
  nt4.major = 4;
  sim().system().SetVersion(nt4);
  SimProgram guarded{0, kRunsForever};
  guarded.refusesOpen = true;
  const std::uint32_t system = Run(L"C:\\WINNT\\system32\\smss.exe", guarded);
  const std::size_t handles = sim().kernel().OpenHandleCount();
  for (int i = 0; i < 299; ++i) Run(kApp, {0, kRunsForever});  // more than 1,024 bytes of ids
  Seen seen;
  EXPECT_TRUE(WinUtil::EnumerateProcesses(Record, &seen));
  ASSERT_EQ(seen.entries.size(), 300u);
  EXPECT_EQ(seen.entries[0], std::make_pair(system, std::wstring()));
  EXPECT_EQ(seen.entries[299].second, L"app.exe");

  Seen stopped{{}, 3};
  EXPECT_TRUE(WinUtil::EnumerateProcesses(Record, &stopped));
  EXPECT_EQ(stopped.entries.size(), 3u);
  EXPECT_EQ(sim().kernel().OpenHandleCount(), handles);
}

TEST_F(Wait, AFailedSnapshotIsLoggedAndReadAsNoProcess) {
  const std::uint32_t id = Run(kApp, {0, kRunsForever});
  sim().processes().FailProcessSnapshot(platform::err::NotEnoughMemory);
  setup::CommandParameters line;
  line.Parse(L"wait|process-name=app.exe|life-span=1");
  setup::RunCommandWait(line);
  EXPECT_EQ(line.Result(), L"success");
  EXPECT_EQ(CountStarting("Error\tIssueError\tIssuing exception 0x80070008: Not enough memory "
                          "resources are available to process this command. [SdkProcess("), 1);
  EXPECT_EQ(CountStarting("Error\tException\tException 0x80070008: Not enough memory resources are "
                          "available to process this command. [SdkProcess("), 1);
  EXPECT_TRUE(sim().processes().Opens().empty());
  EXPECT_TRUE(sim().processes().IsRunning(id));
}

}  // namespace
