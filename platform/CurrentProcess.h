// The running process and thread: last error, identifiers, module paths, times, memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Types.h"

namespace platform {

class CurrentProcess {
 public:
  virtual ~CurrentProcess() = default;

  // GetLastError / SetLastError of the calling thread.
  virtual Win32Error LastError() = 0;
  virtual void SetLastError(Win32Error error) = 0;

  virtual std::uint32_t ProcessId() = 0;
  virtual std::uint32_t ThreadId() = 0;

  // GetModuleFileNameW with a buffer of maxChars characters (terminator included).
  // Module 0 is the executable. Returns false when the name cannot be had.
  virtual bool ModuleFileName(ModuleHandle module, std::uint32_t maxChars,
                              std::wstring* path) = 0;
  // The handle of the executable's own module (what the entry point receives).
  virtual ModuleHandle ExecutableModule() = 0;

  // GetProcessTimes: kernel and user time in 100-ns units.
  virtual bool Times(std::uint64_t* kernel, std::uint64_t* user) = 0;
  // Looks up GetProcessMemoryInfo at run time (psapi.dll); false when it cannot be found.
  virtual bool LoadMemoryInfo() = 0;
  // The working-set size through the function found by LoadMemoryInfo; empty when it was
  // not found or the call fails.
  virtual std::optional<std::uint64_t> WorkingSetBytes() = 0;

  // Sleep.
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  // OutputDebugStringW.
  virtual void DebugOutput(const std::wstring& text) = 0;
};

}  // namespace platform
