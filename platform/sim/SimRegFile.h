// The registry in regedit's .reg format ("Windows Registry Editor Version 5.00", or
// "REGEDIT4"): what a person writes to describe a machine's registry, and what a run's
// registry is exported as for them to read.
//
//   [HKEY_CURRENT_USER\Software\Tamber4]      a key (created with its parents)
//   [-HKEY_CURRENT_USER\Software\Old]         a key removed with everything below it
//   "Name"="text"  @="default value"          REG_SZ; \\ and \" inside the quotes
//   "Count"=dword:0000000a                    REG_DWORD, eight hex digits
//   "Data"=hex:01,02,ff                       REG_BINARY
//   "Path"=hex(2):25,00,00,00                 any other type by number (2 REG_EXPAND_SZ,
//                                             7 REG_MULTI_SZ, b REG_QWORD), raw bytes
//   "Gone"=-                                  a value removed
// A line ending in "\" continues on the next; ";" starts a comment line.
#pragma once

#include <string>

#include "platform/sim/SimRegistry.h"

namespace platform::sim {

// Imports a .reg file's bytes (UTF-16LE with its byte-order mark, or UTF-8) into `registry`.
// False, with "line N: what" in `error`, at the first line that cannot be used.
bool ImportRegFile(const std::string& bytes, SimRegistry* registry, std::string* error);

// The whole registry as a .reg file, UTF-16LE with its byte-order mark, keys and values in
// name order: what ImportRegFile reads back into the same keys, values, types and data.
std::string ExportRegFile(const SimRegistry& registry);

}  // namespace platform::sim
