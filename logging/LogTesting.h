// For tests only: puts the process-wide log back in its never-opened state, closing its
// mutex handle, so that each test can open it afresh. Call it while a machine is installed.
#pragma once

namespace logging {

void ResetLogForTesting();

}  // namespace logging
