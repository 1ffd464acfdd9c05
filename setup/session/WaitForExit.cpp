#include "setup/session/WaitForExit.h"

#include "ComUtil/IssueError.h"
#include "platform/KernelObjects.h"
#include "platform/Machine.h"
#include "platform/Processes.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "WaitForExit";

}  // namespace

std::uint32_t WaitForExitCode(platform::Handle process) {
  TAMBER_THROW_LAST_ERROR_IF_FALSE(platform::kernel().Wait(process, platform::wait::Infinite) ==
                                   platform::wait::Object0);
  std::uint32_t exitCode = 0;
  TAMBER_THROW_LAST_ERROR_IF_FALSE(platform::processes().ExitCode(process, &exitCode));
  return exitCode;
}

}  // namespace setup
