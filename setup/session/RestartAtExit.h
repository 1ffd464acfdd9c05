// The restart a "reboot" command asked for, offered when the program exits.
#pragma once

namespace setup {

// When a "reboot" line stopped the run in this instance, restarts Windows: at once for
// status 4 (restart now), otherwise only if the user answers Yes to the restart question.
// A failed restart is logged; it never changes the exit code.
void OfferRestartAtExit(int status);

}  // namespace setup
