// Other processes and their windows over the Windows API.
#include <windows.h>

#include <shellapi.h>

#include <vector>

#include "platform/Processes.h"
#include "platform/win32/Win32Services.h"

namespace platform::win32 {
namespace {

HANDLE ToHandle(Handle process) { return reinterpret_cast<HANDLE>(process); }
HWND ToWindow(WindowHandle window) { return reinterpret_cast<HWND>(window); }

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
};

}  // namespace

Processes& Win32Processes() {
  static ProcessesApi processes;
  return processes;
}

}  // namespace platform::win32
