// Waiting for a started program to end, as the execute command and the elevated instance
// both do.
#pragma once

#include <cstdint>

#include "platform/Types.h"

namespace setup {

// Waits without a limit for `process` to end and returns its exit code. Failing to wait or
// to read the code raises: the outcome of what the program did would be unknown.
std::uint32_t WaitForExitCode(platform::Handle process);

}  // namespace setup
