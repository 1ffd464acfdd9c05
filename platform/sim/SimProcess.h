// The simulated running process: last error, identifiers, module path, times, memory,
// virtual sleep and recorded debug output.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/CurrentProcess.h"
#include "platform/sim/SimClock.h"

namespace platform::sim {

class SimProcess : public CurrentProcess {
 public:
  static constexpr ModuleHandle kExecutableModule = 0x400000;
  static constexpr const wchar_t* kDefaultExePath = L"C:\\Users\\User\\Downloads\\Tamber4Setup.exe";

  explicit SimProcess(SimClock& clock);

  Win32Error LastError() override { return lastError_; }
  void SetLastError(Win32Error error) override { lastError_ = error; }
  std::uint32_t ProcessId() override { return processId_; }
  std::uint32_t ThreadId() override { return threadId_; }
  // Module 0 and the executable's handle give the executable's path; a buffer too small
  // gets the first maxChars - 1 characters, true, and InsufficientBuffer as last error
  // (GetModuleFileNameW since Vista). Any other module: false with ModNotFound.
  bool ModuleFileName(ModuleHandle module, std::uint32_t maxChars, std::wstring* path) override;
  ModuleHandle ExecutableModule() override { return kExecutableModule; }
  bool Times(std::uint64_t* kernel, std::uint64_t* user) override;
  bool LoadMemoryInfo() override;
  std::optional<std::uint64_t> WorkingSetBytes() override;
  // Advances the virtual clock; returns at once.
  void Sleep(std::uint32_t milliseconds) override;
  void DebugOutput(const std::wstring& text) override { debugOutput_.push_back(text); }

  // Set-up and inspection.
  void SetExePath(const std::wstring& path) { exePath_ = path; }
  const std::wstring& ExePath() const { return exePath_; }
  void SetIds(std::uint32_t processId, std::uint32_t threadId);
  void SetTimes(std::uint64_t kernel, std::uint64_t user);
  // Whether psapi's GetProcessMemoryInfo can be found, and the working set it reports
  // (empty: the call fails).
  void SetMemoryInfo(bool available, std::optional<std::uint64_t> workingSetBytes);
  bool MemoryInfoAvailable() const { return memoryInfoAvailable_; }
  std::optional<std::uint64_t> WorkingSetSetting() const { return workingSet_; }
  std::uint64_t KernelTime() const { return kernelTime_; }
  std::uint64_t UserTime() const { return userTime_; }
  const std::vector<std::wstring>& DebugOutputLines() const { return debugOutput_; }
  // Total of the Sleep calls so far, in milliseconds.
  std::uint64_t SleptMilliseconds() const { return slept_; }

  // A fresh handle value, unique within this machine (files and kernel objects share them).
  std::uintptr_t NewHandle() { return nextHandle_ += 4; }

 private:
  SimClock& clock_;
  Win32Error lastError_ = 0;
  std::uint32_t processId_ = 0x1A2C;
  std::uint32_t threadId_ = 0x1F30;
  std::wstring exePath_ = kDefaultExePath;
  std::uint64_t kernelTime_ = 156'250;
  std::uint64_t userTime_ = 312'500;
  bool memoryInfoAvailable_ = true;
  bool memoryInfoLoaded_ = false;
  std::optional<std::uint64_t> workingSet_ = 8u * 1024u * 1024u;
  std::vector<std::wstring> debugOutput_;
  std::uint64_t slept_ = 0;
  std::uintptr_t nextHandle_ = 0x100;
};

}  // namespace platform::sim
