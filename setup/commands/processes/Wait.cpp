// "wait": a pause, or the end of other processes, found by id or by executable name.
#include <algorithm>
#include <cstdint>

#include "ComUtil/IssueError.h"
#include "WinUtil/SdkProcess.h"
#include "logging/Log.h"
#include "platform/CurrentProcess.h"
#include "platform/KernelObjects.h"
#include "platform/Machine.h"
#include "platform/Owner.h"
#include "platform/Processes.h"
#include "platform/SystemInfo.h"
#include "setup/commands/processes/ProcessCommands.h"
#include "setup/engine/DecimalParameter.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Wait";
constexpr wchar_t kCategory[] = L"RunCommandWait";
constexpr std::uint32_t kTerminatedExitCode = 1;
// The longest finite wait, and one whose milliseconds still print as a signed number.
constexpr std::int64_t kLongestWaitMs = INT32_MAX;

std::uint32_t Milliseconds(std::int32_t seconds) {
  return static_cast<std::uint32_t>(
      std::clamp<std::int64_t>(std::int64_t{seconds} * 1000, 0, kLongestWaitMs));
}

void PauseSeconds(const CommandParameters& line) {
  const std::wstring text = line.GetParameter(L"seconds");
  const std::int32_t seconds = ParseDecimalParameter(text);
  if (seconds <= 0)
    TAMBER_LOG(Error, kCategory, L"Parameter '%s' must be a number greater than 0, not '%s'.",
               L"seconds", text);
  TAMBER_THROW_IF_FALSE(seconds > 0);
  TAMBER_LOG(Info, kCategory, L"Waiting for %d seconds.", seconds);
  platform::process().Sleep(Milliseconds(seconds));
}

// The name matcher: the first process whose executable's name equals the wanted one,
// ignoring case but not length.
struct NameMatch {
  std::wstring wanted;  // in upper case
  std::uint32_t processId = 0;
};

bool MatchName(std::uint32_t processId, const std::wstring& exeFile, void* context) {
  auto* match = static_cast<NameMatch*>(context);
  if (exeFile.empty() || exeFile.size() != match->wanted.size()) return true;
  if (platform::system().UpperCase(exeFile) != match->wanted) return true;
  match->processId = processId;
  return false;
}

std::uint32_t FindProcessByName(const std::wstring& name) {
  NameMatch match{platform::system().UpperCase(name)};
  if (!WinUtil::EnumerateProcesses(MatchName, &match)) return 0;
  if (match.processId != 0)
    TAMBER_LOG(Info, kCategory, L"Process ID for '%s' is %d (0x%x).", name, match.processId,
               match.processId);
  return match.processId;
}

// One "wait" for processes: what the line asks, and what the passes have seen.
struct ProcessWait {
  bool byId = false;
  std::uint32_t processId = 0;  // when byId
  std::wstring name;            // otherwise
  bool limited = false;         // "life-span" given: end the process by force after it
  std::int32_t lifeSpanSeconds = 0;
  std::uint32_t limit = platform::wait::Infinite;
  std::uint32_t pending = 0;  // the first process seen ending
};

// Waits for one process to end, or ends it; true when the next pass is to look again.
bool WaitForProcess(ProcessWait& wait, std::uint32_t processId, platform::Handle process) {
  if (wait.limited)
    TAMBER_LOG(Info, kCategory, L"Waiting %d milliseconds for process with ID %d (0x%x) to shut down.",
               wait.limit, processId, processId);
  else
    TAMBER_LOG(Info, kCategory, L"Waiting forever for process with ID %d (0x%x) to shut down",
               processId, processId);
  const std::uint32_t result = platform::kernel().Wait(process, wait.limit);
  if (result == platform::wait::Timeout) {
    TAMBER_LOG(Info, kCategory,
               L"Process with ID %d (0x%x) didn't exit in %d seconds; terminating, checking for "
               L"another process by the same name.",
               processId, processId, wait.lifeSpanSeconds);
    wait.pending = 0;
    return platform::processes().Terminate(process, kTerminatedExitCode);
  }
  if (result != platform::wait::Object0) return false;
  if (wait.pending == 0) {
    TAMBER_LOG(Info, kCategory, L"Termination pending.");
    wait.pending = processId;
    return true;
  }
  // Without a life-span the pause before looking again would be endless: it is short.
  const std::uint32_t pause = wait.limited ? wait.limit : kUnlimitedRecheckMilliseconds;
  TAMBER_LOG(Info, kCategory, L"Termination pending, waiting %d milliseconds and checking again.",
             pause);
  platform::process().Sleep(pause);
  return true;
}

// One pass: find the process, open it and wait for it. True when another pass is to follow.
bool WaitPass(ProcessWait& wait) {
  const std::uint32_t processId = wait.byId ? wait.processId : FindProcessByName(wait.name);
  if (processId == 0) return false;
  namespace access = platform::processaccess;
  const std::uint32_t rights = access::Synchronize | (wait.limited ? access::Terminate : 0);
  const platform::ScopedHandle process(platform::processes().OpenProcess(rights, processId));
  if (!process.Valid()) return false;
  return WaitForProcess(wait, processId, process.Get()) && !wait.byId;
}

}  // namespace

void RunCommandWait(CommandParameters& line) {
  if (line.HasParameter(L"seconds")) {
    PauseSeconds(line);
    line.SetResult(LineResult::Success);
    return;
  }
  ProcessWait wait;
  wait.byId = line.HasParameter(L"process-id");
  if (!wait.byId && !line.HasParameter(L"process-name")) return;
  if (wait.byId)
    wait.processId = static_cast<std::uint32_t>(ParseDecimalParameter(line.GetParameter(L"process-id")));
  else
    wait.name = line.GetParameter(L"process-name");
  wait.limited = line.HasParameter(L"life-span");
  if (wait.limited) {
    // A negative life-span is over already: such a process is ended at once.
    wait.lifeSpanSeconds = std::max(0, ParseDecimalParameter(line.GetParameter(L"life-span")));
    wait.limit = Milliseconds(wait.lifeSpanSeconds);
  }
  while (WaitPass(wait)) {
  }
  line.SetResult(LineResult::Success);
}

}  // namespace setup
