// Other processes and their windows: starting a program directly or through the shell (the
// "runas" verb is the elevation prompt), waiting for it, its exit code, ending it, and the
// top-level windows it shows. The grain is that of CreateProcessW, ShellExecuteExW,
// GetExitCodeProcess, TerminateProcess, EnumWindows, GetWindowThreadProcessId and
// SetWindowPos (waiting for a process and closing its handle are KernelObjects' Wait and
// Close); failures leave their reason in the thread's last error (CurrentProcess::LastError).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Types.h"

namespace platform {

// Top-level window handle (HWND). 0 is "no window" and also HWND_TOP for SetWindowPosition.
using WindowHandle = std::uintptr_t;
constexpr WindowHandle kNoWindow = 0;
constexpr WindowHandle kWindowTop = 0;

// SetWindowPos flags.
namespace swp {
constexpr std::uint32_t NoSize = 0x0001;
constexpr std::uint32_t NoMove = 0x0002;
constexpr std::uint32_t ShowWindow = 0x0040;
}  // namespace swp

// GetExitCodeProcess's value for a process that has not ended yet (STILL_ACTIVE).
constexpr std::uint32_t kStillActive = 259;

// ShellExecuteExW's error value (SHELLEXECUTEINFOW::hInstApp) when access was denied; a
// refused elevation prompt gives it, with last error err::Cancelled.
constexpr std::uintptr_t kShellErrorAccessDenied = 5;

// OpenProcess access rights.
namespace processaccess {
constexpr std::uint32_t Terminate = 0x0001;
constexpr std::uint32_t VmRead = 0x0010;
constexpr std::uint32_t QueryInformation = 0x0400;
constexpr std::uint32_t Synchronize = 0x00100000;
}  // namespace processaccess

// One entry of a process snapshot (PROCESSENTRY32W): the id and the executable's file name
// without its folder.
struct ProcessEntry {
  std::uint32_t processId = 0;
  std::wstring exeFile;
};

// The system libraries whose process-list functions are found at run time: Kernel32's
// toolhelp functions (CreateToolhelp32Snapshot, Process32FirstW, Process32NextW) and PSAPI's
// (EnumProcesses, EnumProcessModules, GetModuleBaseNameW), the only way on Windows NT 4.0.
enum class ProcessListLibrary { Toolhelp, Psapi };

// A started process: its handle (closed by the caller) and, for a direct start, its id.
struct StartedProcess {
  Handle process = kNoHandle;
  std::uint32_t processId = 0;
};

class Processes {
 public:
  virtual ~Processes() = default;

  // CreateProcessW with no application name, a writable copy of `commandLine`, no handle
  // inheritance, no creation flags, the caller's environment and current folder and an empty
  // start-up record. The new thread's handle is closed at once. False when the process was
  // not created.
  virtual bool StartProcess(const std::wstring& commandLine, StartedProcess* started) = 0;

  // ShellExecuteExW with `verb` ("runas" asks for elevation), `file` and `parameters`, no
  // owner window, no working folder, the normal show state and the request for the process
  // handle. False when the shell failed; *shellError then holds its error value
  // (SHELLEXECUTEINFOW::hInstApp). A success may come without a handle (the shell handed the
  // file to a running program). No process id is known on this path.
  virtual bool ShellExecuteVerb(const std::wstring& verb, const std::wstring& file,
                                const std::wstring& parameters, StartedProcess* started,
                                std::uintptr_t* shellError) = 0;

  // GetExitCodeProcess: kStillActive while the process runs.
  virtual bool ExitCode(Handle process, std::uint32_t* exitCode) = 0;
  // TerminateProcess.
  virtual bool Terminate(Handle process, std::uint32_t exitCode) = 0;

  // OpenProcess without handle inheritance: kNoHandle on failure (InvalidParameter for an id
  // no running process has, AccessDenied when the rights are refused).
  virtual Handle OpenProcess(std::uint32_t access, std::uint32_t processId) = 0;

  // Loads `library` from System32 and looks up its process-list functions. False with the
  // loader's last error when the library or one of the functions is missing.
  virtual bool LoadProcessListFunctions(ProcessListLibrary library) = 0;
  // Toolhelp (after LoadProcessListFunctions(Toolhelp)): CreateToolhelp32Snapshot with
  // TH32CS_SNAPPROCESS, closed with KernelObjects::Close (kNoHandle on failure); then
  // Process32FirstW and Process32NextW, false at the end (NoMoreFiles) or on failure.
  virtual Handle CreateProcessSnapshot() = 0;
  virtual bool FirstSnapshotProcess(Handle snapshot, ProcessEntry* entry) = 0;
  virtual bool NextSnapshotProcess(Handle snapshot, ProcessEntry* entry) = 0;
  // PSAPI (after LoadProcessListFunctions(Psapi)): EnumProcesses into `ids`, a buffer of
  // `bufferBytes` bytes; *bytesReturned is how much of it was filled.
  virtual bool EnumProcessIds(std::uint32_t* ids, std::uint32_t bufferBytes,
                              std::uint32_t* bytesReturned) = 0;
  // EnumProcessModules with room for one module, then GetModuleBaseNameW (at most kMaxPath
  // characters) of that first module: the process's executable. Needs a handle opened for
  // QueryInformation and VmRead.
  virtual bool FirstModuleBaseName(Handle process, std::wstring* name) = 0;

  // EnumWindows over the top-level windows, in z-order; `visit` returns false to stop.
  virtual bool EnumerateWindows(const std::function<bool(WindowHandle window)>& visit) = 0;
  // GetWindowThreadProcessId: the id of the process that created `window` (0 when the
  // window does not exist).
  virtual std::uint32_t WindowProcessId(WindowHandle window) = 0;
  // SetWindowPos.
  virtual bool SetWindowPosition(WindowHandle window, WindowHandle insertAfter, int x, int y,
                                 int width, int height, std::uint32_t flags) = 0;
};

}  // namespace platform
