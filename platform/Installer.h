// Windows Installer (msi.dll), with the grain of the Msi* calls the install commands rely
// on: every call returns the installer's own return code (or HRESULT for the signature), and
// the same-file test that decides whether a package must be copied.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace platform {

// An opaque signer certificate (PCCERT_CONTEXT); 0 is "no certificate".
using Certificate = std::uintptr_t;

// Where a file lives: two paths name one file when both values are equal.
struct FileIdentity {
  std::uint32_t volumeSerial = 0;
  std::uint64_t fileIndex = 0;
};

namespace msi {
constexpr Win32Error UnknownProduct = 1605;
constexpr Win32Error UnknownProperty = 1608;
constexpr Win32Error InstallFailure = 1603;
constexpr Win32Error PackageOpenFailed = 1619;
constexpr Win32Error PackageInvalid = 1620;
constexpr Win32Error FunctionFailed = 1627;
constexpr Win32Error SuccessRebootRequired = 3010;
constexpr std::uint32_t InvalidHashIsFatal = 1;  // MSI_INVALID_HASH_IS_FATAL
constexpr int InstallStateAbsent = 2;            // INSTALLSTATE_ABSENT
constexpr int DefaultInstallLevel = 0;           // INSTALLLEVEL_DEFAULT
constexpr HResult TrustBadDigest = static_cast<HResult>(0x80096010u);
constexpr HResult TrustNoSignature = static_cast<HResult>(0x800B0100u);
constexpr HResult CertRevoked = static_cast<HResult>(0x800B010Cu);
}  // namespace msi

class Installer {
 public:
  virtual ~Installer() = default;

  // MsiSetInternalUI(level, no owner window): the level of the installations that follow.
  // Returns the previous level.
  virtual std::uint32_t SetInternalUi(std::uint32_t level) = 0;
  // MsiInstallProductW.
  virtual Win32Error InstallProduct(const std::wstring& package, const std::wstring& commandLine) = 0;
  // MsiEnableLogW: the installer log of this process's later installations.
  virtual Win32Error EnableLog(std::uint32_t logMode, const std::wstring& path,
                               std::uint32_t attributes) = 0;
  // MsiEnumRelatedProductsW(upgradeCode, 0, index, buffer of 39 characters).
  virtual Win32Error EnumRelatedProducts(const std::wstring& upgradeCode, std::uint32_t index,
                                         std::wstring* productCode) = 0;
  // MsiGetProductInfoW with a buffer of `bufferChars` characters: MoreData when the value
  // with its terminator does not fit.
  virtual Win32Error GetProductInfo(const std::wstring& product, const std::wstring& property,
                                    std::uint32_t bufferChars, std::wstring* value) = 0;
  // MsiConfigureProductExW.
  virtual Win32Error ConfigureProduct(const std::wstring& product, int installLevel,
                                      int installState, const std::wstring& commandLine) = 0;
  // MsiGetFileSignatureInformationW(path, flags, &certificate, no hash buffer, &hashSize).
  // The certificate, when one is returned, must be given to FreeCertificate.
  virtual HResult FileSignatureInformation(const std::wstring& path, std::uint32_t flags,
                                           Certificate* certificate, std::uint32_t* hashBytes) = 0;
  // CertFreeCertificateContext.
  virtual void FreeCertificate(Certificate certificate) = 0;
  // CreateFileW (read access, read sharing) and GetFileInformationByHandle. False when the
  // file cannot be opened or read (last error set).
  virtual bool FileIdentityOf(const std::wstring& path, FileIdentity* identity) = 0;
};

}  // namespace platform
