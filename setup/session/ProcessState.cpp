#include "setup/session/ProcessState.h"

namespace setup {
namespace {
ProcessState g_processState;
}  // namespace

ProcessState& processState() { return g_processState; }

void ResetProcessState() { g_processState = ProcessState(); }

}  // namespace setup
