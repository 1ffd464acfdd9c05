// Programs, waits, windows and the elevation prompt of the simulated machine.
#include <gtest/gtest.h>

#include "platform/CurrentProcess.h"
#include "platform/KernelObjects.h"
#include "platform/Processes.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::StartedProcess;
namespace wait = platform::wait;

class SimProcesses : public platform::sim::SimMachineTest {
 protected:
  StartedProcess Start(const std::wstring& commandLine) {
    StartedProcess started;
    EXPECT_TRUE(platform::processes().StartProcess(commandLine, &started)) << commandLine;
    return started;
  }
  const std::wstring kTool = L"C:\\Program Files\\Tool\\tool.exe";
};

TEST_F(SimProcesses, ProgramRunsForItsTimeAndEndsWithItsCode) {
  sim().PutProgram(kTool, {3010, 2000});
  const StartedProcess started = Start(L"\"" + kTool + L"\" /q");
  platform::Processes& processes = platform::processes();
  std::uint32_t code = 0;
  ASSERT_TRUE(processes.ExitCode(started.process, &code));
  EXPECT_EQ(code, platform::kStillActive);
  EXPECT_EQ(platform::kernel().Wait(started.process, 500), wait::Timeout);
  EXPECT_EQ(platform::kernel().Wait(started.process, wait::Infinite), wait::Object0);
  ASSERT_TRUE(processes.ExitCode(started.process, &code));
  EXPECT_EQ(code, 3010u);
  EXPECT_EQ(sim().processes().Starts()[0].commandLine, L"\"" + kTool + L"\" /q");
  EXPECT_TRUE(platform::kernel().Close(started.process));
  EXPECT_FALSE(platform::kernel().Close(started.process));
}

TEST_F(SimProcesses, WaitsMoveTheClockOnlyAsFarAsNeeded) {
  sim().PutProgram(kTool, {0, 2000});
  const std::uint64_t start = sim().clock().Ticks();
  const StartedProcess started = Start(L"\"" + kTool + L"\"");
  platform::kernel().Wait(started.process, 500);
  EXPECT_EQ(sim().clock().Ticks() - start, 500u);
  platform::kernel().Wait(started.process, wait::Infinite);
  EXPECT_EQ(sim().clock().Ticks() - start, 2000u);
}

TEST_F(SimProcesses, TerminateEndsARunningProgramWithTheGivenCode) {
  sim().PutProgram(kTool, {0, 60000});
  const StartedProcess started = Start(L"\"" + kTool + L"\"");
  EXPECT_TRUE(platform::processes().Terminate(started.process, 7));
  std::uint32_t code = 0;
  EXPECT_EQ(platform::kernel().Wait(started.process, 0), wait::Object0);
  ASSERT_TRUE(platform::processes().ExitCode(started.process, &code));
  EXPECT_EQ(code, 7u);
}

TEST_F(SimProcesses, MissingProgramIsNotStarted) {
  StartedProcess started;
  EXPECT_FALSE(platform::processes().StartProcess(L"C:\\none\\x.exe /a", &started));
  EXPECT_NE(platform::process().LastError(), 0u);
  EXPECT_EQ(started.process, platform::kNoHandle);
}

TEST_F(SimProcesses, WindowAppearsAfterItsDelayAndBelongsToItsProcess) {
  platform::sim::SimProgram program;
  program.runMilliseconds = 10000;
  program.showsWindow = true;
  program.windowAfterMilliseconds = 300;
  sim().PutProgram(kTool, program);
  const StartedProcess started = Start(L"\"" + kTool + L"\"");
  std::vector<platform::WindowHandle> windows;
  auto collect = [&windows](platform::WindowHandle window) {
    windows.push_back(window);
    return true;
  };
  platform::processes().EnumerateWindows(collect);
  EXPECT_TRUE(windows.empty());
  sim().clock().Advance(300);
  platform::processes().EnumerateWindows(collect);
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(platform::processes().WindowProcessId(windows[0]), started.processId);
  EXPECT_TRUE(platform::processes().SetWindowPosition(windows[0], platform::kWindowTop, 0, 0, 0, 0, 0));
  EXPECT_EQ(sim().processes().TopWindow(), windows[0]);
}

TEST_F(SimProcesses, RunasPromptsUnlessElevatedAndCanBeRefused) {
  sim().PutProgram(kTool, {});
  StartedProcess started;
  std::uintptr_t shellError = 0;
  sim().processes().QueueElevationAnswer(false);
  EXPECT_FALSE(platform::processes().ShellExecuteVerb(L"runas", kTool, L"", &started, &shellError));
  EXPECT_EQ(shellError, platform::kShellErrorAccessDenied);
  EXPECT_EQ(platform::process().LastError(), platform::err::Cancelled);
  EXPECT_TRUE(platform::processes().ShellExecuteVerb(L"runas", kTool, L"/x", &started, &shellError));
  EXPECT_NE(started.process, platform::kNoHandle);
  EXPECT_EQ(started.processId, 0u);
  EXPECT_TRUE(sim().processes().Starts().back().elevated);
  sim().security().SetElevated(true);
  EXPECT_TRUE(platform::processes().ShellExecuteVerb(L"runas", kTool, L"", &started, &shellError));
  EXPECT_EQ(sim().processes().ElevationPromptCount(), 2);
}

}  // namespace
