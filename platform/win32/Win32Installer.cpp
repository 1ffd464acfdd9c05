// Windows Installer over msi.dll, and the certificate release over crypt32.dll. Neither is
// one of Windows' KnownDLLs, so both are loaded from System32 by their full path: a setup
// program runs from a Downloads folder anyone can drop a DLL named msi.dll into.
#include <windows.h>

#include <msi.h>

#include "platform/Installer.h"
#include "platform/win32/ScopedResource.h"
#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Win32Services.h"

namespace platform::win32 {
namespace {

using SetInternalUiFunction = INSTALLUILEVEL(WINAPI*)(INSTALLUILEVEL, HWND*);
using InstallProductFunction = UINT(WINAPI*)(LPCWSTR, LPCWSTR);
using EnableLogFunction = UINT(WINAPI*)(DWORD, LPCWSTR, DWORD);
using EnumRelatedFunction = UINT(WINAPI*)(LPCWSTR, DWORD, DWORD, LPWSTR);
using GetProductInfoFunction = UINT(WINAPI*)(LPCWSTR, LPCWSTR, LPWSTR, LPDWORD);
using ConfigureProductFunction = UINT(WINAPI*)(LPCWSTR, int, INSTALLSTATE, LPCWSTR);
using SignatureFunction = HRESULT(WINAPI*)(LPCWSTR, DWORD, PCCERT_CONTEXT*, LPBYTE, LPDWORD);
using FreeCertificateFunction = BOOL(WINAPI*)(PCCERT_CONTEXT);

// The installer return code for a call that could not be made: the loader's reason.
Win32Error MissingFunctionError() {
  const DWORD error = ::GetLastError();
  return error != 0 ? error : ERROR_PROC_NOT_FOUND;
}

class InstallerApi final : public Installer {
 public:
  std::uint32_t SetInternalUi(std::uint32_t level) override {
    auto set = msi_.Find<SetInternalUiFunction>("MsiSetInternalUI");
    if (set == nullptr) return 0;
    return static_cast<std::uint32_t>(set(static_cast<INSTALLUILEVEL>(level), nullptr));
  }

  Win32Error InstallProduct(const std::wstring& package, const std::wstring& commandLine) override {
    auto install = msi_.Find<InstallProductFunction>("MsiInstallProductW");
    if (install == nullptr) return MissingFunctionError();
    return install(package.c_str(), commandLine.c_str());
  }

  Win32Error EnableLog(std::uint32_t logMode, const std::wstring& path,
                       std::uint32_t attributes) override {
    auto enable = msi_.Find<EnableLogFunction>("MsiEnableLogW");
    if (enable == nullptr) return MissingFunctionError();
    return enable(logMode, path.c_str(), attributes);
  }

  Win32Error EnumRelatedProducts(const std::wstring& upgradeCode, std::uint32_t index,
                                 std::wstring* productCode) override {
    productCode->clear();
    auto enumerate = msi_.Find<EnumRelatedFunction>("MsiEnumRelatedProductsW");
    if (enumerate == nullptr) return MissingFunctionError();
    wchar_t buffer[39] = {};
    const UINT result = enumerate(upgradeCode.c_str(), 0, index, buffer);
    if (result == ERROR_SUCCESS) productCode->assign(buffer);
    return result;
  }

  Win32Error GetProductInfo(const std::wstring& product, const std::wstring& property,
                            std::uint32_t bufferChars, std::wstring* value) override {
    value->clear();
    auto get = msi_.Find<GetProductInfoFunction>("MsiGetProductInfoW");
    if (get == nullptr) return MissingFunctionError();
    std::wstring buffer(bufferChars, L'\0');
    DWORD length = bufferChars;
    const UINT result = get(product.c_str(), property.c_str(), &buffer[0], &length);
    if (result == ERROR_SUCCESS) value->assign(buffer.c_str());
    return result;
  }

  Win32Error ConfigureProduct(const std::wstring& product, int installLevel, int installState,
                              const std::wstring& commandLine) override {
    auto configure = msi_.Find<ConfigureProductFunction>("MsiConfigureProductExW");
    if (configure == nullptr) return MissingFunctionError();
    return configure(product.c_str(), installLevel, static_cast<INSTALLSTATE>(installState),
                     commandLine.c_str());
  }

  HResult FileSignatureInformation(const std::wstring& path, std::uint32_t flags,
                                   Certificate* certificate, std::uint32_t* hashBytes) override {
    *certificate = 0;
    auto read = msi_.Find<SignatureFunction>("MsiGetFileSignatureInformationW");
    if (read == nullptr) return HRESULT_FROM_WIN32(MissingFunctionError());
    PCCERT_CONTEXT context = nullptr;
    DWORD size = 0;
    const HRESULT result = read(path.c_str(), flags, &context, nullptr, &size);
    *certificate = reinterpret_cast<Certificate>(context);
    if (hashBytes != nullptr) *hashBytes = size;
    return result;
  }

  void FreeCertificate(Certificate certificate) override {
    if (certificate == 0) return;
    auto release = crypt32_.Find<FreeCertificateFunction>("CertFreeCertificateContext");
    if (release != nullptr) release(reinterpret_cast<PCCERT_CONTEXT>(certificate));
  }

  bool FileIdentityOf(const std::wstring& path, FileIdentity* identity) override {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION information{};
    const BOOL read = ::GetFileInformationByHandle(file, &information);
    const DWORD error = ::GetLastError();
    ::CloseHandle(file);
    ::SetLastError(error);
    if (!read) return false;
    identity->volumeSerial = information.dwVolumeSerialNumber;
    identity->fileIndex =
        (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    return true;
  }

 private:
  SystemLibrary msi_{L"msi.dll"};
  SystemLibrary crypt32_{L"crypt32.dll"};
};

}  // namespace

Installer& Win32Installer() {
  static InstallerApi installer;
  return installer;
}

}  // namespace platform::win32
