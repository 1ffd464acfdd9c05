// Real Windows Installer packages for the installer tests, built with wixl (msitools) from a
// generated .wxs: each distinct (product code, upgrade code, version) is built once per test
// binary into a temporary folder that goes away when the binary ends.
//
//   if (!WixlAvailable()) GTEST_SKIP() << WixlMissingReason();     (in SetUp)
//   const std::string& bytes = WixlPackage({kProductA, kUpgradeA, L"4.2.0.15"});
//   ASSERT_FALSE(bytes.empty()) << "wixl failed";
//   sim().PutFile(L"C:\\Users\\User\\Downloads\\a.msi", bytes);
#pragma once

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>

#include "platform/sim/SimTempFolder.h"
#include "text/Utf.h"

namespace installertest {

struct PackageIdentity {
  std::wstring productCode;  // braced GUIDs
  std::wstring upgradeCode;
  std::wstring version;
  bool operator<(const PackageIdentity& o) const {
    return std::tie(productCode, upgradeCode, version) < std::tie(o.productCode, o.upgradeCode, o.version);
  }
};

inline const char* WixlMissingReason() {
  return "wixl (Debian package wixl, named in scripts/install-deps.sh) is not installed: "
         "no real installer package can be built";
}

namespace detail {

inline std::string WxsText(const PackageIdentity& identity, const std::string& payload) {
  const std::string product = text::WideToUtf8(identity.productCode);
  // Each package has a component of its own, so packages never share one (Windows Installer
  // counts components across products).
  const std::string component = "{C0C0C0C0" + product.substr(9);
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n"
         " <Product Id=\"" + product + "\" Name=\"Tamber Test\" Language=\"1033\" Version=\"" +
         text::WideToUtf8(identity.version) + "\" Manufacturer=\"Tamber\" UpgradeCode=\"" +
         text::WideToUtf8(identity.upgradeCode) + "\">\n"
         "  <Package InstallerVersion=\"200\" Compressed=\"yes\" InstallScope=\"perMachine\"/>\n"
         "  <Media Id=\"1\" Cabinet=\"p.cab\" EmbedCab=\"yes\"/>\n"
         "  <Directory Id=\"TARGETDIR\" Name=\"SourceDir\"><Directory Id=\"ProgramFilesFolder\">\n"
         "   <Directory Id=\"INSTALLDIR\" Name=\"TamberTest\">\n"
         "    <Component Id=\"Main\" Guid=\"" + component + "\">\n"
         "     <File Id=\"Readme\" Name=\"readme.txt\" Source=\"" + payload + "\"/>\n"
         "    </Component>\n"
         "   </Directory></Directory></Directory>\n"
         "  <Feature Id=\"Complete\" Level=\"1\"><ComponentRef Id=\"Main\"/></Feature>\n"
         " </Product>\n"
         "</Wix>\n";
}

class PackageCache {
 public:
  static PackageCache& Instance() {
    static PackageCache cache;
    return cache;
  }

  bool Available() const { return available_; }

  const std::string& Get(const PackageIdentity& identity) {
    auto found = built_.find(identity);
    if (found != built_.end()) return found->second;
    static const std::string kNone;
    if (!available_) return kNone;
    // wixl finds the payload relative to its current folder only.
    const std::string stem = "p" + std::to_string(built_.size());
    std::ofstream(folder_.path() / (stem + ".wxs")) << WxsText(identity, "readme.txt");
    const std::string command = "cd '" + folder_.path().string() + "' && wixl -o " + stem + ".msi " + stem +
                                ".wxs >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return kNone;
    std::ifstream msi(folder_.path() / (stem + ".msi"), std::ios::binary);
    std::ostringstream bytes;
    bytes << msi.rdbuf();
    return built_.emplace(identity, bytes.str()).first->second;
  }

 private:
  PackageCache() : folder_("tamber4-wixl") {
    available_ = std::system("command -v wixl >/dev/null 2>&1") == 0;
    std::ofstream(folder_.path() / "readme.txt") << "Tamber test package\n";
  }

  platform::sim::SimTempFolder folder_;
  bool available_ = false;
  std::map<PackageIdentity, std::string> built_;
};

}  // namespace detail

inline bool WixlAvailable() { return detail::PackageCache::Instance().Available(); }

// The bytes of a real .msi with these codes and version; empty when wixl is absent or fails.
inline const std::string& WixlPackage(const PackageIdentity& identity) {
  return detail::PackageCache::Instance().Get(identity);
}

}  // namespace installertest
