#include "platform/sim/SimInstaller.h"

#include <sys/stat.h>

#include <cwctype>

#include "platform/sim/SimMsiPackage.h"
#include "platform/sim/SimPath.h"
#include "platform/sim/SimText.h"
#include "text/Utf.h"

namespace platform::sim {
namespace {

// Certificates the simulated signature check hands out; any non-zero value will do.
constexpr Certificate kCertificate = 0xCE27;

std::wstring FileNameOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return UpperCase(slash == std::wstring::npos ? path : path.substr(slash + 1));
}

bool SameGuid(const std::wstring& a, const std::wstring& b) { return UpperCase(a) == UpperCase(b); }

}  // namespace

bool IsBracedGuid(const std::wstring& text) {
  if (text.size() != 38 || text.front() != L'{' || text.back() != L'}') return false;
  for (std::size_t i = 1; i < 37; ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? text[i] != L'-' : !std::iswxdigit(text[i])) return false;
  }
  return true;
}

SimPackageBehaviour& SimInstaller::Package(const std::wstring& fileName) {
  return packages_[UpperCase(fileName)];
}

const SimPackageBehaviour* SimInstaller::BehaviourOf(const std::wstring& path) const {
  auto it = packages_.find(FileNameOf(path));
  return it == packages_.end() ? nullptr : &it->second;
}

SimProduct* SimInstaller::FindProduct(const std::wstring& productCode) {
  for (SimProduct& product : products_)
    if (SameGuid(product.productCode, productCode)) return &product;
  return nullptr;
}

std::uint32_t SimInstaller::SetInternalUi(std::uint32_t level) {
  const std::uint32_t previous = uiLevel_;
  uiLevel_ = level;
  return previous;
}

// Appends one line to the installer log, when one is enabled.
void SimInstaller::WriteLog(const std::wstring& text) {
  if (logPath_.empty()) return;
  const std::string existing = files_.FileBytes(logPath_).value_or(std::string());
  files_.PutFile(logPath_, existing + WideToUtf8(text) + "\r\n");
}

Win32Error SimInstaller::InstallProduct(const std::wstring& package, const std::wstring& commandLine) {
  installs_.push_back({package, commandLine, uiLevel_});
  WriteLog(L"Installing '" + package + L"' with '" + commandLine + L"'.");
  const SimPackageBehaviour* behaviour = BehaviourOf(package);
  const Win32Error result =
      behaviour && behaviour->installResult ? *behaviour->installResult : err::Success;
  if (result != err::Success && result != msi::SuccessRebootRequired) return result;
  std::wstring full;
  if (!files_.FullPath(package, &full) || files_.Attributes(full) == file::InvalidAttributes)
    return msi::PackageOpenFailed;
  MsiPackageProperties properties;
  if (!ReadMsiPackageProperties(files_.HostPath(full), &properties)) return msi::PackageInvalid;
  SimProduct installed{properties.upgradeCode, properties.productCode, properties.productVersion, full};
  if (SimProduct* existing = FindProduct(properties.productCode))
    *existing = installed;
  else
    products_.push_back(installed);
  WriteLog(L"Installed product '" + properties.productCode + L"', version '" +
           properties.productVersion + L"'.");
  return result;
}

Win32Error SimInstaller::EnableLog(std::uint32_t logMode, const std::wstring& path, std::uint32_t) {
  logPath_.clear();
  if (logMode == 0) return err::Success;
  // Without the append attribute the log starts afresh; a log that cannot be created is
  // refused as Windows refuses it.
  files_.Delete(path);
  if (!files_.OpenAndClose(path, file::GenericWrite, file::ShareWrite, file::OpenAlways))
    return err::InvalidParameter;
  std::wstring full;
  logPath_ = files_.FullPath(path, &full) ? full : path;
  return err::Success;
}

Win32Error SimInstaller::EnumRelatedProducts(const std::wstring& upgradeCode, std::uint32_t index,
                                             std::wstring* productCode) {
  productCode->clear();
  if (!IsBracedGuid(upgradeCode)) return err::InvalidParameter;
  std::uint32_t seen = 0;
  for (const SimProduct& product : products_) {
    if (!SameGuid(product.upgradeCode, upgradeCode)) continue;
    if (seen++ < index) continue;
    *productCode = product.productCode;
    return err::Success;
  }
  return err::NoMoreItems;
}

Win32Error SimInstaller::GetProductInfo(const std::wstring& product, const std::wstring& property,
                                        std::uint32_t bufferChars, std::wstring* value) {
  value->clear();
  if (!IsBracedGuid(product)) return err::InvalidParameter;
  const SimProduct* found = FindProduct(product);
  if (found == nullptr) return msi::UnknownProduct;
  if (property != L"VersionString") return msi::UnknownProperty;
  if (found->version.size() + 1 > bufferChars) return err::MoreData;
  *value = found->version;
  return err::Success;
}

Win32Error SimInstaller::ConfigureProduct(const std::wstring& product, int, int installState,
                                          const std::wstring& commandLine) {
  if (!IsBracedGuid(product) || installState != msi::InstallStateAbsent) return err::InvalidParameter;
  SimProduct* found = FindProduct(product);
  if (found == nullptr) return msi::UnknownProduct;
  removals_.push_back(product);
  WriteLog(L"Removing product '" + product + L"' with '" + commandLine + L"'.");
  const SimPackageBehaviour* behaviour = BehaviourOf(found->package);
  const Win32Error result =
      behaviour && behaviour->uninstallResult ? *behaviour->uninstallResult : err::Success;
  if (result == err::Success || result == msi::SuccessRebootRequired)
    products_.erase(products_.begin() + (found - products_.data()));
  return result;
}

HResult SimInstaller::FileSignatureInformation(const std::wstring& path, std::uint32_t flags,
                                               Certificate* certificate, std::uint32_t* hashBytes) {
  *certificate = 0;
  if (hashBytes != nullptr) *hashBytes = 0;
  if (files_.Attributes(path) == file::InvalidAttributes) return hr::FromWin32(err::FileNotFound);
  const SimPackageBehaviour* behaviour = BehaviourOf(path);
  HResult result = behaviour && behaviour->signature ? *behaviour->signature : msi::TrustNoSignature;
  // Without the fatal flag a bad hash does not fail the call.
  if (result == msi::TrustBadDigest && (flags & msi::InvalidHashIsFatal) == 0) result = hr::Ok;
  if (result == hr::Ok || result == msi::TrustBadDigest || result == msi::CertRevoked) {
    *certificate = kCertificate;
    ++certificates_;
  }
  return result;
}

void SimInstaller::FreeCertificate(Certificate certificate) {
  if (certificate != 0 && certificates_ > 0) --certificates_;
}

bool SimInstaller::FileIdentityOf(const std::wstring& path, FileIdentity* identity) {
  if (!files_.OpenAndClose(path, file::GenericRead, file::ShareRead, file::OpenExisting))
    return false;
  struct stat status {};
  if (::stat(files_.HostPath(path).c_str(), &status) != 0) {
    process_.SetLastError(err::AccessDenied);
    return false;
  }
  identity->volumeSerial = static_cast<std::uint32_t>(status.st_dev);
  identity->fileIndex = static_cast<std::uint64_t>(status.st_ino);
  return true;
}

}  // namespace platform::sim
