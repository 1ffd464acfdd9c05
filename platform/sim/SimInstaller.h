// The simulated Windows Installer: installed products (upgrade code, product code, version
// and the package they came from), what each package does when it is installed or checked
// (set per package file name by the machine description), the installer log, and the calls
// made, for tests. Installing a package reads its ProductCode, UpgradeCode and
// ProductVersion from the real .msi file.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Installer.h"
#include "platform/sim/SimFiles.h"
#include "platform/sim/SimProcess.h"

namespace platform::sim {

struct SimProduct {
  std::wstring upgradeCode;
  std::wstring productCode;
  std::wstring version;
  std::wstring package;  // the path it was installed from
};

// What a package does, by its file name (without regard to case).
struct SimPackageBehaviour {
  std::optional<HResult> signature;           // default: not signed (0x800B0100)
  std::optional<Win32Error> installResult;    // default: the package installs (0)
  std::optional<Win32Error> uninstallResult;  // default: the product is removed (0)
};

struct SimInstallCall {
  std::wstring package;
  std::wstring commandLine;
  std::uint32_t uiLevel = 0;
};

class SimInstaller : public Installer {
 public:
  SimInstaller(SimProcess& process, SimFiles& files) : process_(process), files_(files) {}

  std::uint32_t SetInternalUi(std::uint32_t level) override;
  Win32Error InstallProduct(const std::wstring& package, const std::wstring& commandLine) override;
  Win32Error EnableLog(std::uint32_t logMode, const std::wstring& path,
                       std::uint32_t attributes) override;
  Win32Error EnumRelatedProducts(const std::wstring& upgradeCode, std::uint32_t index,
                                 std::wstring* productCode) override;
  Win32Error GetProductInfo(const std::wstring& product, const std::wstring& property,
                            std::uint32_t bufferChars, std::wstring* value) override;
  Win32Error ConfigureProduct(const std::wstring& product, int installLevel, int installState,
                              const std::wstring& commandLine) override;
  HResult FileSignatureInformation(const std::wstring& path, std::uint32_t flags,
                                   Certificate* certificate, std::uint32_t* hashBytes) override;
  void FreeCertificate(Certificate certificate) override;
  bool FileIdentityOf(const std::wstring& path, FileIdentity* identity) override;

  // --- Set-up and inspection.
  void AddProduct(const SimProduct& product) { products_.push_back(product); }
  const std::vector<SimProduct>& Products() const { return products_; }
  SimPackageBehaviour& Package(const std::wstring& fileName);
  const std::map<std::wstring, SimPackageBehaviour>& Packages() const { return packages_; }
  const std::vector<SimInstallCall>& Installs() const { return installs_; }
  const std::vector<std::wstring>& Removals() const { return removals_; }
  std::uint32_t UiLevel() const { return uiLevel_; }
  const std::wstring& LogPath() const { return logPath_; }
  // Certificates handed out and not yet freed.
  std::size_t OpenCertificates() const { return certificates_; }

 private:
  const SimPackageBehaviour* BehaviourOf(const std::wstring& path) const;
  SimProduct* FindProduct(const std::wstring& productCode);
  void WriteLog(const std::wstring& text);

  SimProcess& process_;
  SimFiles& files_;
  std::vector<SimProduct> products_;
  std::map<std::wstring, SimPackageBehaviour> packages_;  // by upper-case file name
  std::vector<SimInstallCall> installs_;
  std::vector<std::wstring> removals_;
  std::uint32_t uiLevel_ = 5;  // INSTALLUILEVEL_FULL, Windows' default
  std::wstring logPath_;
  std::size_t certificates_ = 0;
};

// True for a braced GUID such as "{12345678-9ABC-DEF0-1234-56789ABCDEF0}".
bool IsBracedGuid(const std::wstring& text);

}  // namespace platform::sim
