// The installer's lines of a machine folder's machine.txt (see SimMachineFolder.cpp):
//   installed-product = {UPGRADE-CODE}|{PRODUCT-CODE}|4.2.0.15|C:\path\package.msi
//   msi-signature = package.msi|0x80096010       the signature check's code for that file name
//   msi-install-result = package.msi|1603        MsiInstallProductW's return code
//   msi-uninstall-result = package.msi|3010      the removal's return code for its products
#pragma once

#include <string>

#include "platform/sim/SimInstaller.h"

namespace platform::sim {

// Applies one installer key; false when the key is not an installer key or its value is bad.
bool ApplyInstallerFact(SimInstaller& installer, const std::string& key, const std::string& value);

// The installer's lines, in the format ApplyInstallerFact reads.
std::string InstallerFactsText(const SimInstaller& installer);

}  // namespace platform::sim
