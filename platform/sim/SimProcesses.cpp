#include "platform/sim/SimProcesses.h"

#include "platform/sim/SimText.h"

namespace platform::sim {
namespace {

constexpr std::uintptr_t kShellErrorFileNotFound = 2;

const SimProgram& DefaultProgram() {
  static const SimProgram program;
  return program;
}

}  // namespace

std::wstring ProgramOfCommandLine(const std::wstring& commandLine) {
  if (!commandLine.empty() && commandLine[0] == L'"') {
    const std::size_t close = commandLine.find(L'"', 1);
    return commandLine.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
  }
  return commandLine.substr(0, commandLine.find_first_of(L" \t"));
}

SimProcesses::SimProcesses(SimClock& clock, SimProcess& process, SimObjectTable& objects,
                           SimFiles& files, SimSecurity& security)
    : clock_(clock), process_(process), objects_(objects), files_(files), security_(security) {}

void SimProcesses::SetProgram(const std::wstring& path, const SimProgram& program) {
  programs_[UpperCase(path)] = program;
}

const SimProgram& SimProcesses::ProgramAt(const std::wstring& path) const {
  auto found = programs_.find(UpperCase(path));
  return found == programs_.end() ? DefaultProgram() : found->second;
}

bool SimProcesses::IsOwnExecutable(const std::wstring& path) const {
  return EqualsNoCase(path, process_.ExePath());
}

bool SimProcesses::Launch(const std::wstring& path, const std::wstring& commandLine,
                          const std::wstring& verb, bool elevated, StartedProcess* started) {
  std::wstring fullPath;
  if (!files_.FullPath(path, &fullPath)) return false;
  // The running program's own file is there even when the simulated disk lacks it.
  if (!IsOwnExecutable(fullPath)) {
    const std::uint32_t attributes = files_.Attributes(fullPath);
    if (attributes == file::InvalidAttributes) return false;  // last error set by Attributes
    if (attributes & file::AttributeDirectory) {
      process_.SetLastError(err::AccessDenied);
      return false;
    }
  }
  const std::uint32_t processId = nextProcessId_ += 4;
  starts_.push_back({commandLine, verb, elevated, processId});
  auto running = std::make_shared<SimRunningProcess>();
  running->program = ProgramAt(fullPath);
  running->startTick = clock_.Ticks();
  running->endTick = running->startTick + running->program.runMilliseconds;
  running->exitCode = running->program.exitCode;
  if (running->program.showsWindow) running->window = nextWindow_ += 0x10;
  if (IsOwnExecutable(fullPath) && instanceRunner_) {
    // The second instance runs to its end before the start returns: the caller only waits
    // for it, and the machine has one thread.
    running->exitCode = instanceRunner_(commandLine, elevated);
    running->endTick = clock_.Ticks();
  }
  running_[processId] = running;
  started->process = objects_.Add(running);
  started->processId = processId;
  process_.SetLastError(err::Success);
  return true;
}

bool SimProcesses::StartProcess(const std::wstring& commandLine, StartedProcess* started) {
  *started = StartedProcess();
  return Launch(ProgramOfCommandLine(commandLine), commandLine, std::wstring(),
                security_.IsElevated(), started);
}

bool SimProcesses::StartApplication(const std::wstring& application,
                                    const std::wstring& commandLine, StartedProcess* started) {
  *started = StartedProcess();
  return Launch(application, commandLine, std::wstring(), security_.IsElevated(), started);
}

bool SimProcesses::AnswerElevationPrompt() {
  ++elevationPrompts_;
  if (elevationAnswers_.empty()) return true;
  const bool accepted = elevationAnswers_.front();
  elevationAnswers_.pop_front();
  return accepted;
}

bool SimProcesses::ShellExecuteVerb(const std::wstring& verb, const std::wstring& file,
                                    const std::wstring& parameters, StartedProcess* started,
                                    std::uintptr_t* shellError) {
  *started = StartedProcess();
  *shellError = 0;
  const bool runas = verb == L"runas";
  if (runas && !security_.IsElevated() && !AnswerElevationPrompt()) {
    process_.SetLastError(err::Cancelled);
    *shellError = kShellErrorAccessDenied;
    return false;
  }
  const std::wstring commandLine =
      L"\"" + file + L"\"" + (parameters.empty() ? std::wstring() : L" " + parameters);
  if (!Launch(file, commandLine, verb, runas || security_.IsElevated(), started)) {
    *shellError = kShellErrorFileNotFound;
    return false;
  }
  started->processId = 0;  // the shell tells no process id
  return true;
}

bool SimProcesses::ExitCode(Handle process, std::uint32_t* exitCode) {
  SimRunningProcess* running = RunningOf(process);
  if (running == nullptr) return false;
  *exitCode = running->endTick <= clock_.Ticks() ? running->exitCode : kStillActive;
  return true;
}

bool SimProcesses::Terminate(Handle process, std::uint32_t exitCode) {
  SimRunningProcess* running = RunningOf(process);
  if (running == nullptr) return false;
  if (running->endTick <= clock_.Ticks()) {
    process_.SetLastError(err::AccessDenied);
    return false;
  }
  running->endTick = clock_.Ticks();
  running->exitCode = exitCode;
  return true;
}

bool SimProcesses::EnumerateWindows(const std::function<bool(WindowHandle window)>& visit) {
  const std::uint64_t now = clock_.Ticks();
  for (const auto& [processId, running] : running_) {
    const bool shown = running->window != kNoWindow && running->endTick > now &&
                       running->startTick + running->program.windowAfterMilliseconds <= now;
    if (shown && !visit(running->window)) break;
  }
  return true;
}

std::uint32_t SimProcesses::WindowProcessId(WindowHandle window) {
  for (const auto& [processId, running] : running_)
    if (running->window == window && window != kNoWindow) return processId;
  return 0;
}

bool SimProcesses::SetWindowPosition(WindowHandle window, WindowHandle, int, int, int, int,
                                     std::uint32_t) {
  constexpr Win32Error kInvalidWindowHandle = 1400;
  constexpr Win32Error kAccessDenied = err::AccessDenied;
  const std::uint32_t processId = WindowProcessId(window);
  if (processId == 0) {
    process_.SetLastError(kInvalidWindowHandle);
    return false;
  }
  if (running_[processId]->program.windowRefusesMove) {
    process_.SetLastError(kAccessDenied);
    return false;
  }
  topWindow_ = window;
  return true;
}

}  // namespace platform::sim
