// Windows Installer packages: "install", "uninstall", "if-installed", "if-not-installed",
// "enable-msi-log", and the language transform a line passes to the installer.
#pragma once

#include <string>

#include "setup/engine/CommandParameters.h"
#include "setup/engine/CommandTable.h"
#include "setup/session/SetupState.h"

namespace setup {

// The transform a line asks for through "transform-langid": the table's entry for exactly
// that language, else (after a Warning) state.transformName.
std::wstring GetTransformOverride(const SetupState& state, const CommandParameters& line);

// " TRANSFORMS=:" and the line's transform (GetTransformOverride when the line has
// "transform-langid", else state.transformName); empty when there is no transform.
std::wstring TransformArgument(const SetupState& state, const CommandParameters& line);

// True when the first product related to `upgradeCode` is installed in at least `version`.
bool IsProductInstalled(const std::wstring& upgradeCode, const std::wstring& version);

// "install": copies the package into the installers folder, checks its signature, installs
// it and writes "msi-result". A hash mismatch or a failure with "abort-on-failure" sets
// state.abortRequested; 3010 asks for a restart when convenient.
void RunCommandInstall(CommandParameters& line, SetupState& state);
// "uninstall": removes "product"; "msi-result" holds the installer's code.
void RunCommandUninstall(CommandParameters& line, SetupState& state);
// "if-installed" / "if-not-installed": true when the block runs; false with the line marked
// "success" when it is skipped.
bool RunCommandIfInstalled(CommandParameters& line);
bool RunCommandIfNotInstalled(CommandParameters& line);
// "enable-msi-log": turns on the installer log of this process. Inside an elevated section
// the line keeps no result, so the elevated instance turns its own log on too.
void RunCommandEnableMSILog(CommandParameters& line, SetupState& state);

// The family's rows of the dispatch table.
CommandRows InstallerCommandRows();

}  // namespace setup
