// Registry reads, checks and writes of a script: the condition of "if-registry-check" (also
// asked by "alert" and "abort"), the install folder of an earlier installation, per-user
// string and number values, and the current user's RunOnce entries that start a program, or
// this program with its working copy, once at the next logon.
#pragma once

#include <string>

#include "setup/engine/CommandParameters.h"
#include "setup/engine/CommandTable.h"
#include "setup/session/SetupState.h"

namespace setup {

// The name of this program's own RunOnce value.
extern const wchar_t kSelfRunOnceValueName[];  // "Tamber4Setup"

// Reads value `name` (the key's default value when empty) of the key at `path`, a path with
// a root prefix ("HKCR\", "HKCU\", "HKLM\", "HKCC\" or "HKU\", case-sensitive). REG_SZ is
// taken as is, REG_EXPAND_SZ expanded, any other type gives the empty text but still counts
// as read. Returns true when a value was read; false, after logging why (nothing is logged
// for an empty path), when the path, the key or the value is missing. Never throws.
bool ReadRegistryString(const std::wstring& path, const std::wstring& name, std::wstring* text);

// The registry condition of `line` ("registry-path", "registry-value-name",
// "registry-value-data", "registry-value-data-is", "compare-as-number",
// "compare-as-version"). A missing key or value counts as less than any data; an empty
// path, an existing key without a value name, and an existing value without data are true.
// Logs each step. Never throws.
bool CheckRegistry(const CommandParameters& line);

// Registers `commandLine` under `valueName` in the current user's RunOnce key. With an empty
// command line, registers this program instead: value "Tamber4Setup" holding the quoted
// executable path and the quoted `workingCopy`, whatever `valueName` says. A key or value
// that cannot be written is a fatal error (raised after logging).
void WriteRunOnceRegistryValue(const std::wstring& commandLine, const std::wstring& valueName,
                               const std::wstring& workingCopy);

// Removes `valueName` from the current user's RunOnce key, logging whether it was there.
// Never fails to its caller.
void DeleteRegistryRunOnce(const std::wstring& valueName);

// "if-registry-check": true when the block runs (the line's result stays unset until its
// "end-if"); false, with the line marked "success", when the block is to be skipped.
bool RunCommandIfRegistryCheck(CommandParameters& line);

// "read-registry-install-directory": reads state.installDirectory from "registry-path" and
// "registry-value-name"; on success the line's result is "repeat" (it runs on every run).
void RunCommandReadRegistryInstallDirectory(CommandParameters& line, SetupState& state);

// "write-registry-string": writes a REG_SZ under HKEY_CURRENT_USER\"registry-path" from
// "program" and its arguments, "file-path", or "registry-value-data". An unknown special
// folder writes nothing and leaves the result as preset. Failing writes are fatal.
void RunCommandWriteRegistryString(CommandParameters& line, const SetupState& state);

// "write-registry-dword": writes "registry-value-data" (signed decimal) as a REG_DWORD under
// HKEY_CURRENT_USER\"registry-path". Failing writes are fatal.
void RunCommandWriteRegistryDWORD(CommandParameters& line);

// "write-registry-run-once": "self" "yes" registers this program with `workingCopy`;
// otherwise "program" (required: fatal when absent) with its arguments under
// "registry-value-name" (default "Tamber4Setup"). Failing writes are fatal.
void RunCommandWriteRegistryRunOnce(CommandParameters& line, const SetupState& state,
                                    const std::wstring& workingCopy);

// "delete-registry-run-once": removes "Tamber4Setup" ("self" "yes") or
// "registry-value-name"; with neither, logs the error and leaves the result as preset.
void RunCommandDeleteRegistryRunOnce(CommandParameters& line);

// The family's rows of the dispatch table.
CommandRows RegistryCommandRows();

}  // namespace setup
