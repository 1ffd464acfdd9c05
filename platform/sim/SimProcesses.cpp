#include "platform/sim/SimProcesses.h"

#include <algorithm>
#include <utility>

#include "platform/sim/SimPath.h"
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
  std::shared_ptr<SimRunningProcess> running = NewRunning(fullPath, ProgramAt(fullPath));
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

std::shared_ptr<SimRunningProcess> SimProcesses::NewRunning(const std::wstring& path,
                                                             const SimProgram& program) {
  auto running = std::make_shared<SimRunningProcess>();
  running->program = program;
  running->imagePath = path;
  running->startTick = clock_.Ticks();
  running->endTick = program.runMilliseconds == kRunsForever
                         ? kRunsForever
                         : running->startTick + program.runMilliseconds;
  running->exitCode = program.exitCode;
  if (program.showsWindow) running->window = nextWindow_ += 0x10;
  return running;
}

std::uint32_t SimProcesses::RunProcess(const std::wstring& path, const SimProgram& program) {
  const std::uint32_t processId = nextProcessId_ += 4;
  running_[processId] = NewRunning(path, program);
  return processId;
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
  if (!running->RunsAt(clock_.Ticks()) || running->program.ignoresTermination) {
    process_.SetLastError(err::AccessDenied);
    return false;
  }
  running->endTick = clock_.Ticks();
  running->exitCode = exitCode;
  return true;
}

void SimProcesses::EndProcess(std::uint32_t processId) {
  auto found = running_.find(processId);
  if (found != running_.end() && found->second->RunsAt(clock_.Ticks()))
    found->second->endTick = clock_.Ticks();
}

bool SimProcesses::IsRunning(std::uint32_t processId) const {
  auto found = running_.find(processId);
  return found != running_.end() && found->second->RunsAt(clock_.Ticks());
}

std::optional<std::uint32_t> SimProcesses::ExitCodeOf(std::uint32_t processId) const {
  auto found = running_.find(processId);
  if (found == running_.end() || found->second->RunsAt(clock_.Ticks())) return std::nullopt;
  return found->second->exitCode;
}

Handle SimProcesses::OpenProcess(std::uint32_t access, std::uint32_t processId) {
  opens_.push_back({processId, access});
  auto found = running_.find(processId);
  if (found == running_.end() || !found->second->RunsAt(clock_.Ticks())) {
    process_.SetLastError(err::InvalidParameter);
    return kNoHandle;
  }
  if (found->second->program.refusesOpen) {
    process_.SetLastError(err::AccessDenied);
    return kNoHandle;
  }
  process_.SetLastError(err::Success);
  return objects_.Add(found->second);
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

// --- The process list.

namespace {

// A toolhelp snapshot: the processes that ran when it was taken, read in order.
struct SimProcessSnapshot : SimObject {
  std::vector<ProcessEntry> entries;
  std::size_t next = 0;
};

}  // namespace

void SimProcesses::FailProcessListLibrary(ProcessListLibrary library, Win32Error error) {
  libraryFailures_[library] = error;
}

bool SimProcesses::LoadProcessListFunctions(ProcessListLibrary library) {
  auto failure = libraryFailures_.find(library);
  if (failure != libraryFailures_.end() && failure->second != 0) {
    process_.SetLastError(failure->second);
    return false;
  }
  return true;
}

std::vector<std::uint32_t> SimProcesses::RunningIds() const {
  std::vector<std::uint32_t> ids;
  for (const auto& [processId, running] : running_)
    if (running->RunsAt(clock_.Ticks())) ids.push_back(processId);
  return ids;
}

Handle SimProcesses::CreateProcessSnapshot() {
  if (snapshotFailure_ != 0) {
    process_.SetLastError(std::exchange(snapshotFailure_, 0));
    return kNoHandle;
  }
  auto snapshot = std::make_shared<SimProcessSnapshot>();
  for (std::uint32_t processId : RunningIds())
    snapshot->entries.push_back({processId, FileNamePart(running_[processId]->imagePath)});
  return objects_.Add(snapshot);
}

bool SimProcesses::FirstSnapshotProcess(Handle snapshot, ProcessEntry* entry) {
  SimProcessSnapshot* taken = objects_.Find<SimProcessSnapshot>(snapshot);
  if (taken == nullptr) return false;
  taken->next = 0;
  return NextSnapshotProcess(snapshot, entry);
}

bool SimProcesses::NextSnapshotProcess(Handle snapshot, ProcessEntry* entry) {
  SimProcessSnapshot* taken = objects_.Find<SimProcessSnapshot>(snapshot);
  if (taken == nullptr) return false;
  if (taken->next >= taken->entries.size()) {
    process_.SetLastError(err::NoMoreFiles);
    return false;
  }
  *entry = taken->entries[taken->next++];
  return true;
}

bool SimProcesses::EnumProcessIds(std::uint32_t* ids, std::uint32_t bufferBytes,
                                  std::uint32_t* bytesReturned) {
  const std::vector<std::uint32_t> running = RunningIds();
  const std::size_t fits = std::min<std::size_t>(running.size(), bufferBytes / sizeof *ids);
  std::copy(running.begin(), running.begin() + static_cast<std::ptrdiff_t>(fits), ids);
  *bytesReturned = static_cast<std::uint32_t>(fits * sizeof *ids);
  return true;
}

bool SimProcesses::FirstModuleBaseName(Handle process, std::wstring* name) {
  SimRunningProcess* running = RunningOf(process);
  if (running == nullptr) return false;
  *name = FileNamePart(running->imagePath).substr(0, kMaxPath - 1);
  return true;
}

}  // namespace platform::sim
