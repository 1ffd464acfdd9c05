// Other processes and their windows over the Windows API.
#include <windows.h>

#include <psapi.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <vector>

#include "platform/Processes.h"
#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Win32Services.h"

namespace platform::win32 {
namespace {

HANDLE ToHandle(Handle process) { return reinterpret_cast<HANDLE>(process); }
HWND ToWindow(WindowHandle window) { return reinterpret_cast<HWND>(window); }

using SnapshotFunction = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkFunction = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32W*);
using EnumProcessesFunction = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumModulesFunction = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using ModuleBaseNameFunction = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);

// A function not found leaves ERROR_PROC_NOT_FOUND; keep the loader's own reason otherwise.
bool Found(const void* function) {
  if (function != nullptr) return true;
  if (::GetLastError() == ERROR_SUCCESS) ::SetLastError(ERROR_PROC_NOT_FOUND);
  return false;
}

bool ReadEntry(ProcessWalkFunction walk, Handle snapshot, ProcessEntry* entry) {
  PROCESSENTRY32W raw = {};
  raw.dwSize = sizeof raw;
  if (walk == nullptr || !walk(ToHandle(snapshot), &raw)) return false;
  entry->processId = raw.th32ProcessID;
  entry->exeFile = raw.szExeFile;
  return true;
}

using WindowVisitor = std::function<bool(WindowHandle window)>;

BOOL CALLBACK VisitWindow(HWND window, LPARAM context) {
  const auto* visit = reinterpret_cast<const WindowVisitor*>(context);
  return (*visit)(reinterpret_cast<WindowHandle>(window)) ? TRUE : FALSE;
}

class ProcessesApi final : public Processes {
 public:
  bool StartProcess(const std::wstring& commandLine, StartedProcess* started) override {
    *started = StartedProcess();
    // CreateProcessW may write into the command line, so it gets its own copy.
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info))
      return false;
    ::CloseHandle(info.hThread);
    started->process = reinterpret_cast<Handle>(info.hProcess);
    started->processId = info.dwProcessId;
    return true;
  }

  bool ShellExecuteVerb(const std::wstring& verb, const std::wstring& file,
                        const std::wstring& parameters, StartedProcess* started,
                        std::uintptr_t* shellError) override {
    *started = StartedProcess();
    *shellError = 0;
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = verb.c_str();
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    const BOOL done = ::ShellExecuteExW(&info);
    if (!done) {
      *shellError = reinterpret_cast<std::uintptr_t>(info.hInstApp);
      return false;
    }
    started->process = reinterpret_cast<Handle>(info.hProcess);
    return true;
  }

  bool ExitCode(Handle process, std::uint32_t* exitCode) override {
    DWORD code = 0;
    if (!::GetExitCodeProcess(ToHandle(process), &code)) return false;
    *exitCode = code;
    return true;
  }

  bool Terminate(Handle process, std::uint32_t exitCode) override {
    return ::TerminateProcess(ToHandle(process), exitCode) != FALSE;
  }

  Handle OpenProcess(std::uint32_t access, std::uint32_t processId) override {
    return reinterpret_cast<Handle>(::OpenProcess(access, FALSE, processId));
  }

  bool LoadProcessListFunctions(ProcessListLibrary library) override {
    if (library == ProcessListLibrary::Toolhelp) {
      snapshot_ = kernel32_.Find<SnapshotFunction>("CreateToolhelp32Snapshot");
      first_ = kernel32_.Find<ProcessWalkFunction>("Process32FirstW");
      next_ = kernel32_.Find<ProcessWalkFunction>("Process32NextW");
      return Found(reinterpret_cast<void*>(snapshot_)) && Found(reinterpret_cast<void*>(first_)) &&
             Found(reinterpret_cast<void*>(next_));
    }
    enumProcesses_ = psapi_.Find<EnumProcessesFunction>("EnumProcesses");
    enumModules_ = psapi_.Find<EnumModulesFunction>("EnumProcessModules");
    baseName_ = psapi_.Find<ModuleBaseNameFunction>("GetModuleBaseNameW");
    return Found(reinterpret_cast<void*>(enumProcesses_)) &&
           Found(reinterpret_cast<void*>(enumModules_)) && Found(reinterpret_cast<void*>(baseName_));
  }

  Handle CreateProcessSnapshot() override {
    if (snapshot_ == nullptr) return kNoHandle;
    HANDLE snapshot = snapshot_(TH32CS_SNAPPROCESS, 0);
    return snapshot == INVALID_HANDLE_VALUE ? kNoHandle : reinterpret_cast<Handle>(snapshot);
  }

  bool FirstSnapshotProcess(Handle snapshot, ProcessEntry* entry) override {
    return ReadEntry(first_, snapshot, entry);
  }

  bool NextSnapshotProcess(Handle snapshot, ProcessEntry* entry) override {
    return ReadEntry(next_, snapshot, entry);
  }

  bool EnumProcessIds(std::uint32_t* ids, std::uint32_t bufferBytes,
                      std::uint32_t* bytesReturned) override {
    DWORD returned = 0;
    if (enumProcesses_ == nullptr ||
        !enumProcesses_(reinterpret_cast<DWORD*>(ids), bufferBytes, &returned))
      return false;
    *bytesReturned = returned;
    return true;
  }

  bool FirstModuleBaseName(Handle process, std::wstring* name) override {
    HMODULE module = nullptr;
    DWORD needed = 0;
    if (enumModules_ == nullptr || baseName_ == nullptr ||
        !enumModules_(ToHandle(process), &module, sizeof module, &needed))
      return false;
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = baseName_(ToHandle(process), module, buffer, MAX_PATH);
    if (length == 0) return false;
    name->assign(buffer, length);
    return true;
  }


  bool EnumerateWindows(const WindowVisitor& visit) override {
    // EnumWindows reports FALSE also when the visitor stopped it; only a failure that left
    // an error code counts.
    ::SetLastError(ERROR_SUCCESS);
    if (::EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&visit))) return true;
    return ::GetLastError() == ERROR_SUCCESS;
  }

  std::uint32_t WindowProcessId(WindowHandle window) override {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(ToWindow(window), &processId);
    return processId;
  }

  bool SetWindowPosition(WindowHandle window, WindowHandle insertAfter, int x, int y, int width,
                         int height, std::uint32_t flags) override {
    return ::SetWindowPos(ToWindow(window), ToWindow(insertAfter), x, y, width, height, flags) !=
           FALSE;
  }

 private:
  SystemLibrary kernel32_{L"kernel32.dll"};
  SystemLibrary psapi_{L"psapi.dll"};
  SnapshotFunction snapshot_ = nullptr;
  ProcessWalkFunction first_ = nullptr;
  ProcessWalkFunction next_ = nullptr;
  EnumProcessesFunction enumProcesses_ = nullptr;
  EnumModulesFunction enumModules_ = nullptr;
  ModuleBaseNameFunction baseName_ = nullptr;
};

}  // namespace

Processes& Win32Processes() {
  static ProcessesApi processes;
  return processes;
}

}  // namespace platform::win32
