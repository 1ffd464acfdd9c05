// The few values that live once per process rather than per run: the language of every
// message lookup, whether a "reboot" command stopped the run, and the cached version answer.
#pragma once

#include <optional>

#include "platform/Types.h"

namespace setup {

struct ProcessState {
  platform::LangId messageLanguage = 0;  // 1033 or 3082 once start-up has chosen it
  bool rebootCommandExecuted = false;    // read by the entry point at exit
  std::optional<bool> vistaOrLater;      // IsVistaOrLater's answer, asked once
};

// The process's values. The entry point resets them when a session starts, as a fresh
// process would have them.
ProcessState& processState();
void ResetProcessState();

}  // namespace setup
