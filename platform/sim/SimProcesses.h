// Other processes of the simulated machine: programs on the simulated disk that run for a
// set time of the virtual clock, end with a set exit code and may show a window; the
// elevation prompt, answered from a queue; and this program's own executable, whose start
// runs a second instance of the program at once (see SimMachine).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Processes.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimFiles.h"
#include "platform/sim/SimObjects.h"
#include "platform/sim/SimProcess.h"
#include "platform/sim/SimSecurity.h"

namespace platform::sim {

// A run time for a program that does not end by itself.
constexpr std::uint64_t kRunsForever = ~std::uint64_t{0};

// What a program does when it runs.
struct SimProgram {
  std::uint32_t exitCode = 0;
  std::uint64_t runMilliseconds = 0;  // virtual time until it ends, or kRunsForever
  bool showsWindow = false;
  std::uint64_t windowAfterMilliseconds = 0;  // when its window appears
  bool windowRefusesMove = false;             // SetWindowPos on its window fails
  bool ignoresTermination = false;  // TerminateProcess on it fails with AccessDenied
  bool refusesOpen = false;         // OpenProcess on it fails with AccessDenied
};

// One start of a program, as the machine saw it.
struct SimProcessStart {
  std::wstring commandLine;  // the whole command line the program received
  std::wstring verb;         // the shell verb, empty for a direct start
  bool elevated = false;     // runs with the full administrator token
  std::uint32_t processId = 0;
};

// A process the machine started, as its handles see it: signalled when it ends.
struct SimRunningProcess : SimObject {
  SimProgram program;
  std::wstring imagePath;  // the executable's full path
  std::uint64_t startTick = 0;
  std::uint64_t endTick = 0;  // kRunsForever while nothing ends it
  std::uint32_t exitCode = 0;
  WindowHandle window = kNoWindow;

  bool Waitable() const override { return true; }
  std::optional<std::uint64_t> SignalledAt(SimOwnerId, std::uint64_t now) const override {
    if (endTick == kRunsForever) return std::nullopt;
    return now > endTick ? now : endTick;
  }
  bool RunsAt(std::uint64_t now) const { return endTick > now; }
};

// An OpenProcess call, as the machine saw it.
struct SimProcessOpen {
  std::uint32_t processId = 0;
  std::uint32_t access = 0;
};

class SimProcesses : public Processes {
 public:
  // Runs this program's own executable again with `commandLine` (its path quoted, then the
  // parameters), elevated or not, and returns its exit code.
  using InstanceRunner = std::function<std::uint32_t(const std::wstring& commandLine, bool elevated)>;

  SimProcesses(SimClock& clock, SimProcess& process, SimObjectTable& objects, SimFiles& files,
               SimSecurity& security);
  SimProcesses(const SimProcesses&) = delete;
  SimProcesses& operator=(const SimProcesses&) = delete;

  // The program is the command line's first token (quoted, or up to the first blank); it
  // must be a file on the simulated disk (FileNotFound, PathNotFound otherwise).
  bool StartProcess(const std::wstring& commandLine, StartedProcess* started) override;
  // CreateProcessW with an application path: `application` is the program, `commandLine`
  // what it receives (SimSecurity starts the system's takeown.exe this way).
  bool StartApplication(const std::wstring& application, const std::wstring& commandLine,
                        StartedProcess* started);
  // Verbs "open" (or empty) and "runas". "runas" from a process that is not elevated shows
  // the elevation prompt: a refusal fails with Cancelled and the shell's access-denied
  // error. A missing file gives FileNotFound and the shell's error 2.
  bool ShellExecuteVerb(const std::wstring& verb, const std::wstring& file,
                        const std::wstring& parameters, StartedProcess* started,
                        std::uintptr_t* shellError) override;
  bool ExitCode(Handle process, std::uint32_t* exitCode) override;
  // AccessDenied for a process that has ended or ignores termination.
  bool Terminate(Handle process, std::uint32_t exitCode) override;
  // Any running process of the machine; one that has ended is gone (InvalidParameter).
  Handle OpenProcess(std::uint32_t access, std::uint32_t processId) override;
  // Fails with the error set by FailProcessListLibrary.
  bool LoadProcessListFunctions(ProcessListLibrary library) override;
  // The processes running now, by id (this program itself is left out).
  Handle CreateProcessSnapshot() override;
  bool FirstSnapshotProcess(Handle snapshot, ProcessEntry* entry) override;
  bool NextSnapshotProcess(Handle snapshot, ProcessEntry* entry) override;
  bool EnumProcessIds(std::uint32_t* ids, std::uint32_t bufferBytes,
                      std::uint32_t* bytesReturned) override;
  bool FirstModuleBaseName(Handle process, std::wstring* name) override;
  // The windows of the programs that show one and have shown it by now.
  bool EnumerateWindows(const std::function<bool(WindowHandle window)>& visit) override;
  std::uint32_t WindowProcessId(WindowHandle window) override;
  bool SetWindowPosition(WindowHandle window, WindowHandle insertAfter, int x, int y, int width,
                         int height, std::uint32_t flags) override;

  // --- Set-up and inspection.
  // What the program at `path` does (its file is not created here).
  void SetProgram(const std::wstring& path, const SimProgram& program);
  // A program that another program started, running from now: its process id. It is not
  // one of Starts(), and this process holds no handle to it.
  std::uint32_t RunProcess(const std::wstring& path, const SimProgram& program);
  // LoadProcessListFunctions(library) fails with `error` from now on (0: works again).
  void FailProcessListLibrary(ProcessListLibrary library, Win32Error error);
  // The next process snapshot fails with `error`.
  void FailProcessSnapshot(Win32Error error) { snapshotFailure_ = error; }
  const std::vector<SimProcessOpen>& Opens() const { return opens_; }
  // The process of that id ends now by itself with its program's exit code.
  void EndProcess(std::uint32_t processId);
  // Whether the process of that id runs now, and the exit code it ended with.
  bool IsRunning(std::uint32_t processId) const;
  std::optional<std::uint32_t> ExitCodeOf(std::uint32_t processId) const;
  // Answers to the next elevation prompts (true: accepted); with none queued, accepted.
  void QueueElevationAnswer(bool accept) { elevationAnswers_.push_back(accept); }
  int ElevationPromptCount() const { return elevationPrompts_; }
  void SetInstanceRunner(InstanceRunner runner) { instanceRunner_ = std::move(runner); }
  const std::vector<SimProcessStart>& Starts() const { return starts_; }
  // The window moved to the top last, or kNoWindow.
  WindowHandle TopWindow() const { return topWindow_; }
  std::size_t OpenHandleCount() const { return objects_.Count<SimRunningProcess>(); }

 private:
  bool Launch(const std::wstring& path, const std::wstring& commandLine, const std::wstring& verb,
              bool elevated, StartedProcess* started);
  bool AnswerElevationPrompt();
  const SimProgram& ProgramAt(const std::wstring& path) const;
  bool IsOwnExecutable(const std::wstring& path) const;
  SimRunningProcess* RunningOf(Handle handle) { return objects_.Find<SimRunningProcess>(handle); }
  std::shared_ptr<SimRunningProcess> NewRunning(const std::wstring& path, const SimProgram& program);
  std::vector<std::uint32_t> RunningIds() const;

  SimClock& clock_;
  SimProcess& process_;
  SimObjectTable& objects_;
  SimFiles& files_;
  SimSecurity& security_;
  std::map<std::wstring, SimProgram> programs_;  // by upper-case path
  std::map<std::uint32_t, std::shared_ptr<SimRunningProcess>> running_;  // by process id
  std::deque<bool> elevationAnswers_;
  int elevationPrompts_ = 0;
  InstanceRunner instanceRunner_;
  std::vector<SimProcessStart> starts_;
  std::vector<SimProcessOpen> opens_;
  std::map<ProcessListLibrary, Win32Error> libraryFailures_;
  Win32Error snapshotFailure_ = 0;
  std::uint32_t nextProcessId_ = 0x2000;
  WindowHandle nextWindow_ = 0x10010;
  WindowHandle topWindow_ = kNoWindow;
};

// The program named by a command line: its first token, without quotes when quoted.
std::wstring ProgramOfCommandLine(const std::wstring& commandLine);

}  // namespace platform::sim
