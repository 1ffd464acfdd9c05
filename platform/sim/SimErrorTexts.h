// The system message table of the simulated machine: Windows' English texts for the
// common Win32 codes and HRESULTs.
#pragma once

#include <cstdint>

namespace platform::sim {

// The text FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | IGNORE_INSERTS) gives for `code`,
// without the trailing line break; HRESULTs of the Win32 facility (0x8007xxxx) give the
// text of their Win32 code. Null when the system has no text for the code.
const wchar_t* SystemMessageText(std::uint32_t code);

}  // namespace platform::sim
