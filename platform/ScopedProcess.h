// Owns a process handle for the length of one operation: closed on every path.
#pragma once

#include "platform/Owner.h"
#include "platform/Processes.h"

namespace platform {

using ScopedProcess = Owner<HandleTraits<Processes, &Processes::Close, &processes>>;

}  // namespace platform
