#include "setup/commands/execute/WindowSearch.h"

#include "logging/Log.h"
#include "platform/CurrentProcess.h"
#include "platform/Machine.h"
#include "platform/Processes.h"
#include "setup/session/LastErrorReport.h"
#include "setup/session/Messages.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Execute";
constexpr int kAttempts = 50;
constexpr std::uint32_t kAttemptIntervalMs = 100;

// What the window enumeration looks for and what it found.
struct WindowSearch {
  std::uint32_t processId = 0;
  platform::WindowHandle window = platform::kNoWindow;
};

// The enumeration's visitor: stops at the first window of the searched process.
bool EnumWindowsProc(platform::WindowHandle window, WindowSearch* search) {
  if (platform::processes().WindowProcessId(window) != search->processId) return true;
  TAMBER_LOG(Info, L"EnumWindowsProc", L"Match found for process ID '%d', setting hWnd to '0x%X'.",
             search->processId, window);
  search->window = window;
  return false;
}

bool MoveToTop(const WindowSearch& search) {
  TAMBER_LOG(Info, L"RunCommandExecute",
             L"Found the process's window, moving it to the top of the z-order.");
  namespace swp = platform::swp;
  if (platform::processes().SetWindowPosition(search.window, platform::kWindowTop, 0, 0, 0, 0,
                                              swp::NoSize | swp::NoMove | swp::ShowWindow))
    return true;
  const LastErrorReport failure;
  TAMBER_LOG(Info, L"RunCommandExecute",
             L"Failed to set the window's z-order, process ID '%d', window handle 0x%X, "
             L"GetLastError: 0x%X, '%s'",
             search.processId, search.window, failure.code, failure.text);
  return false;
}

}  // namespace

void MoveProcessWindowToTop(std::uint32_t processId) {
  WindowSearch search;
  search.processId = processId;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    platform::process().Sleep(kAttemptIntervalMs);
    TAMBER_LOG(Info, L"RunCommandExecute", L"Searching for the process's window, attempt %d.",
               attempt);
    platform::processes().EnumerateWindows(
        [&search](platform::WindowHandle window) { return EnumWindowsProc(window, &search); });
    if (search.window != platform::kNoWindow && MoveToTop(search)) return;
  }
  if (search.window == platform::kNoWindow)
    TAMBER_LOG(Error, L"RunCommandExecute", L"Did not find window with process ID '%d'.",
               processId);
}

}  // namespace setup
