// registry.txt of a machine folder: the simulated registry as readable UTF-8 text, one
// value per line. The format is described at the top of SimRegistryText.cpp.
#pragma once

#include <string>
#include <string_view>

#include "platform/sim/SimRegistry.h"

namespace platform::sim {

// The whole registry as text, header comment included.
std::string RegistryToText(const SimRegistry& registry);

// Adds the keys and values of `text` to `registry`. False with "line N: reason" in *error
// at the first line that cannot be read (the lines before it are applied).
bool RegistryFromText(std::string_view text, SimRegistry* registry, std::string* error);

// The field escapes shared with machine.txt: "^" is written "^^", TAB "^t", CR "^r", LF
// "^n", NUL "^0", and any other control character or unpaired surrogate "^uXXXX".
std::string EscapeField(std::wstring_view text);
bool UnescapeField(std::string_view field, std::wstring* text);

}  // namespace platform::sim
