// Asking Windows to restart.
#pragma once

#include <cstdint>

namespace setup {

// The shutdown reason of a planned restart for an installation
// (SHTDN_REASON_FLAG_PLANNED | SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_INSTALLATION).
constexpr std::uint32_t kPlannedInstallationRestart = 0x80040002u;

// Asks Windows to restart (forced when `force`), holding the shutdown privilege for the
// request. True when the request was accepted. False, without asking, when the process
// token cannot be opened or the privilege cannot be looked up; the thread's last error
// then tells why.
bool RebootSystem(std::uint32_t reason, bool force);

}  // namespace setup
