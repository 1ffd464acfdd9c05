// The running process: last error, ids, module file name and its truncation, times, memory.
#include <windows.h>

#include "Probe.h"
#include "platform/CurrentProcess.h"
#include "platform/Machine.h"

namespace probe {
namespace {

void ProbeModuleFileName() {
  auto& process = platform::process();
  std::wstring path;
  const bool named = process.ModuleFileName(0, 260, &path);
  Check("process: ModuleFileName of the executable",
        named && EndsWithIgnoringCase(path, L"\\Win32Probe.exe"), path);
  std::wstring viaHandle;
  Check("process: ModuleFileName of ExecutableModule is the same",
        process.ModuleFileName(process.ExecutableModule(), 260, &viaHandle) && viaHandle == path);
  std::wstring truncated;
  const bool cut = process.ModuleFileName(0, 5, &truncated);
  // XP fills all five characters without a terminator; later systems keep four and end them.
  Check("process: ModuleFileName with a short buffer gives the cut name",
        cut && (truncated.size() == 4 || truncated.size() == 5) &&
            path.compare(0, truncated.size(), truncated) == 0,
        truncated);
  Check("process: ModuleFileName with no room fails", !process.ModuleFileName(0, 0, &truncated));
}

void ProbeIdentity() {
  auto& process = platform::process();
  process.SetLastError(1234);
  Check("process: SetLastError then LastError", process.LastError() == 1234u);
  Check("process: ProcessId and ThreadId", process.ProcessId() == ::GetCurrentProcessId() &&
                                               process.ThreadId() == ::GetCurrentThreadId());
}

void ProbeResourceUse() {
  auto& process = platform::process();
  std::uint64_t kernel = 0, user = 0;
  Check("process: Times", process.Times(&kernel, &user));
  Check("process: WorkingSetBytes is empty before LoadMemoryInfo",
        !process.WorkingSetBytes().has_value());
  const bool loaded = process.LoadMemoryInfo();
  const auto workingSet = process.WorkingSetBytes();
  Check("process: LoadMemoryInfo then WorkingSetBytes",
        loaded && workingSet.has_value() && *workingSet > 0,
        workingSet ? std::to_wstring(*workingSet) : L"none");
}

}  // namespace

void ProbeCurrentProcess() {
  ProbeModuleFileName();
  ProbeIdentity();
  ProbeResourceUse();
}

}  // namespace probe
