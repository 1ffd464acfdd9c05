// Facts about the system over the Windows API: version, languages, clocks, error texts,
// environment and code-page conversion.
#include <windows.h>

#include <climits>

#include "platform/SystemInfo.h"
#include "platform/win32/FormatMessageText.h"
#include "platform/win32/Win32Services.h"

namespace platform::win32 {
namespace {

void CopyVersion(const OSVERSIONINFOW& info, OsVersion* version) {
  version->major = info.dwMajorVersion;
  version->minor = info.dwMinorVersion;
  version->build = info.dwBuildNumber;
  version->platformId = info.dwPlatformId;
  version->csdVersion = info.szCSDVersion;
}

class SystemInfoApi final : public SystemInfo {
 public:
  bool VersionEx(OsVersion* version) override {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return false;
    CopyVersion(*reinterpret_cast<OSVERSIONINFOW*>(&info), version);
    version->servicePackMajor = info.wServicePackMajor;
    version->servicePackMinor = info.wServicePackMinor;
    return true;
  }

  bool Version(OsVersion* version) override {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!::GetVersionExW(&info)) return false;
    CopyVersion(info, version);
    version->servicePackMajor = 0;
    version->servicePackMinor = 0;
    return true;
  }

  bool VersionAtLeast(std::uint32_t major, std::uint32_t minor, std::uint16_t spMajor,
                      std::uint16_t spMinor) override {
    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof wanted;
    wanted.dwMajorVersion = major;
    wanted.dwMinorVersion = minor;
    wanted.wServicePackMajor = spMajor;
    wanted.wServicePackMinor = spMinor;
    const DWORD fields =
        VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR | VER_SERVICEPACKMINOR;
    DWORDLONG conditions = 0;
    conditions = ::VerSetConditionMask(conditions, VER_MAJORVERSION, VER_GREATER_EQUAL);
    conditions = ::VerSetConditionMask(conditions, VER_MINORVERSION, VER_GREATER_EQUAL);
    conditions = ::VerSetConditionMask(conditions, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    conditions = ::VerSetConditionMask(conditions, VER_SERVICEPACKMINOR, VER_GREATER_EQUAL);
    return ::VerifyVersionInfoW(&wanted, fields, conditions) != FALSE;
  }

  LangId UserDefaultUiLanguage() override { return ::GetUserDefaultUILanguage(); }
  LangId SystemDefaultUiLanguage() override { return ::GetSystemDefaultUILanguage(); }
  LangId UserDefaultLangId() override { return ::GetUserDefaultLangID(); }

  std::uint32_t TickCount() override { return ::GetTickCount(); }

  std::int64_t PerformanceCounter() override {
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    return counter.QuadPart;
  }

  SystemTime UtcNow() override {
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    return SystemTime{now.wYear, now.wMonth,  now.wDayOfWeek, now.wDay,
                      now.wHour, now.wMinute, now.wSecond,    now.wMilliseconds};
  }

  bool SystemErrorText(std::uint32_t code, LangId language, std::wstring* text) override {
    return FormatMessageText(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, language, text);
  }

  std::wstring ExpandEnvironment(const std::wstring& text) override {
    DWORD capacity = static_cast<DWORD>(text.size()) + MAX_PATH;
    for (;;) {
      std::wstring buffer(capacity, L'\0');
      const DWORD needed = ::ExpandEnvironmentStringsW(text.c_str(), buffer.data(), capacity);
      if (needed == 0) return std::wstring();
      if (needed <= capacity) {
        buffer.resize(needed - 1);  // the count includes the terminator
        return buffer;
      }
      capacity = needed;
    }
  }

  std::wstring AnsiToWide(const std::string& text) override {
    if (text.empty() || text.size() > INT_MAX) return std::wstring();
    const int bytes = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, wide.data(), length);
    return wide;
  }

  std::wstring UpperCase(const std::wstring& text) override {
    std::wstring upper = text;
    if (!upper.empty()) ::CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    return upper;
  }
};

}  // namespace

SystemInfo& Win32SystemInfo() {
  static SystemInfoApi system;
  return system;
}

}  // namespace platform::win32
