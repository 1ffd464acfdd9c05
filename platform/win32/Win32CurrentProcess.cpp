// The running process over the Windows API; the memory counters come from psapi.dll,
// looked up at run time because older systems may lack it.
#include <windows.h>

#include <psapi.h>

#include <cwchar>
#include <vector>

#include "platform/CurrentProcess.h"
#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Win32Services.h"

namespace platform::win32 {
namespace {

using GetProcessMemoryInfoFunction = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);

std::uint64_t FileTimeValue(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

class CurrentProcessApi final : public CurrentProcess {
 public:
  Win32Error LastError() override { return ::GetLastError(); }
  void SetLastError(Win32Error error) override { ::SetLastError(error); }

  std::uint32_t ProcessId() override { return ::GetCurrentProcessId(); }
  std::uint32_t ThreadId() override { return ::GetCurrentThreadId(); }

  bool ModuleFileName(ModuleHandle module, std::uint32_t maxChars, std::wstring* path) override {
    std::vector<wchar_t> buffer(maxChars + 1, L'\0');
    const DWORD length =
        ::GetModuleFileNameW(reinterpret_cast<HMODULE>(module), buffer.data(), maxChars);
    if (length == 0) return false;
    // A truncated name fills the buffer; XP then leaves out the terminator, later systems
    // cut one more character to fit it. Either way the name ends at the first terminator.
    path->assign(buffer.data(), std::wcslen(buffer.data()));
    return true;
  }

  ModuleHandle ExecutableModule() override {
    return reinterpret_cast<ModuleHandle>(::GetModuleHandleW(nullptr));
  }

  bool Times(std::uint64_t* kernel, std::uint64_t* user) override {
    FILETIME creation{}, exit{}, kernelTime{}, userTime{};
    if (!::GetProcessTimes(::GetCurrentProcess(), &creation, &exit, &kernelTime, &userTime))
      return false;
    *kernel = FileTimeValue(kernelTime);
    *user = FileTimeValue(userTime);
    return true;
  }

  bool LoadMemoryInfo() override {
    if (getMemoryInfo_ != nullptr) return true;
    getMemoryInfo_ = psapi_.Find<GetProcessMemoryInfoFunction>("GetProcessMemoryInfo");
    return getMemoryInfo_ != nullptr;
  }

  std::optional<std::uint64_t> WorkingSetBytes() override {
    if (getMemoryInfo_ == nullptr) return std::nullopt;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!getMemoryInfo_(::GetCurrentProcess(), &counters, sizeof counters)) return std::nullopt;
    return static_cast<std::uint64_t>(counters.WorkingSetSize);
  }

  void Sleep(std::uint32_t milliseconds) override { ::Sleep(milliseconds); }
  void DebugOutput(const std::wstring& text) override { ::OutputDebugStringW(text.c_str()); }

 private:
  SystemLibrary psapi_{L"psapi.dll"};
  GetProcessMemoryInfoFunction getMemoryInfo_ = nullptr;
};

}  // namespace

CurrentProcess& Win32CurrentProcess() {
  static CurrentProcessApi process;
  return process;
}

}  // namespace platform::win32
