// Facts about the system: version, languages, clocks, error texts, environment, code pages.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace platform {

// The fields of OSVERSIONINFOEXW that the logic reads.
struct OsVersion {
  std::uint32_t major = 0, minor = 0, build = 0;
  std::uint32_t platformId = 2;  // VER_PLATFORM_WIN32_NT
  std::uint16_t servicePackMajor = 0, servicePackMinor = 0;
  std::wstring csdVersion;
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;

  // GetVersionExW with the extended structure; false when the extended request fails.
  virtual bool VersionEx(OsVersion* version) = 0;
  // GetVersionExW with the basic structure (no service pack numbers).
  virtual bool Version(OsVersion* version) = 0;
  // VerifyVersionInfoW: is the system at least major.minor with service pack spMajor.spMinor,
  // greater-or-equal on all four, compared in that order.
  virtual bool VersionAtLeast(std::uint32_t major, std::uint32_t minor, std::uint16_t spMajor,
                              std::uint16_t spMinor) = 0;

  // GetUserDefaultUILanguage, GetSystemDefaultUILanguage, GetUserDefaultLangID.
  virtual LangId UserDefaultUiLanguage() = 0;
  virtual LangId SystemDefaultUiLanguage() = 0;
  virtual LangId UserDefaultLangId() = 0;

  // GetTickCount, QueryPerformanceCounter, GetSystemTime (UTC).
  virtual std::uint32_t TickCount() = 0;
  virtual std::int64_t PerformanceCounter() = 0;
  virtual SystemTime UtcNow() = 0;

  // FormatMessageW from the system message table (FORMAT_MESSAGE_FROM_SYSTEM, inserts
  // ignored) in the given language (0 = neutral/default). False when there is no text;
  // the text is returned as the system gives it, trailing line break included.
  virtual bool SystemErrorText(std::uint32_t code, LangId language, std::wstring* text) = 0;

  // ExpandEnvironmentStringsW.
  virtual std::wstring ExpandEnvironment(const std::wstring& text) = 0;

  // MultiByteToWideChar with the ANSI code page (CP_ACP).
  virtual std::wstring AnsiToWide(const std::string& text) = 0;
  // CharUpperBuffW: the text in upper case by the system's rules.
  virtual std::wstring UpperCase(const std::wstring& text) = 0;
};

}  // namespace platform
