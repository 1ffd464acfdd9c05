// Bringing a freshly started program's window to the front.
#pragma once

#include <cstdint>

namespace setup {

// Looks for a top-level window of process `processId` up to 50 times, 100 ms apart, and
// moves the first one found to the top of the z-order. Logs each attempt, the match and a
// failing move; logs an Error when no window ever appeared. Never fails its caller.
void MoveProcessWindowToTop(std::uint32_t processId);

}  // namespace setup
