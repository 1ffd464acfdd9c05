#include "platform/sim/SimProcess.h"

#include "platform/sim/SimErrors.h"

namespace platform::sim {

SimProcess::SimProcess(SimClock& clock) : clock_(clock) {}

bool SimProcess::ModuleFileName(ModuleHandle module, std::uint32_t maxChars, std::wstring* path) {
  if (module != 0 && module != kExecutableModule) {
    lastError_ = simerr::ModNotFound;
    return false;
  }
  if (maxChars == 0) {
    lastError_ = err::InsufficientBuffer;
    return false;
  }
  if (exePath_.size() < maxChars) {
    *path = exePath_;
    return true;
  }
  *path = exePath_.substr(0, maxChars - 1);
  lastError_ = err::InsufficientBuffer;
  return true;
}

bool SimProcess::Times(std::uint64_t* kernel, std::uint64_t* user) {
  *kernel = kernelTime_;
  *user = userTime_;
  return true;
}

bool SimProcess::LoadMemoryInfo() {
  memoryInfoLoaded_ = memoryInfoAvailable_;
  if (!memoryInfoAvailable_) lastError_ = simerr::ModNotFound;
  return memoryInfoLoaded_;
}

std::optional<std::uint64_t> SimProcess::WorkingSetBytes() {
  if (!memoryInfoLoaded_) return std::nullopt;
  return workingSet_;
}

void SimProcess::Sleep(std::uint32_t milliseconds) {
  slept_ += milliseconds;
  clock_.Advance(milliseconds);
}

void SimProcess::SetIds(std::uint32_t processId, std::uint32_t threadId) {
  processId_ = processId;
  threadId_ = threadId;
}

void SimProcess::SetTimes(std::uint64_t kernel, std::uint64_t user) {
  kernelTime_ = kernel;
  userTime_ = user;
}

void SimProcess::SetMemoryInfo(bool available, std::optional<std::uint64_t> workingSetBytes) {
  memoryInfoAvailable_ = available;
  if (!available) memoryInfoLoaded_ = false;
  workingSet_ = workingSetBytes;
}

}  // namespace platform::sim
