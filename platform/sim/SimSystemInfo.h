// Facts of the simulated system: version, languages, the virtual clock, the system's error
// texts, environment variables, the ANSI code page (Windows-1252) and upper-casing.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "platform/SystemInfo.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimProcess.h"

namespace platform::sim {

// The Windows releases a test can pick by name.
enum class WindowsRelease { XpSp2, XpSp3, Vista, Seven, Ten };

// The version block of a release: XP 5.1.2600 with SP2 or SP3, Vista 6.0.6002 SP2,
// 7 6.1.7601 SP1, 10 10.0.19045.
OsVersion VersionOf(WindowsRelease release);
// "xp-sp2", "xp-sp3", "vista", "7", "10".
const wchar_t* ReleaseName(WindowsRelease release);
std::optional<WindowsRelease> ReleaseFromName(const std::wstring& name);

class SimSystemInfo : public SystemInfo {
 public:
  static constexpr LangId kEnglishUs = 0x0409;

  SimSystemInfo(SimClock& clock, SimProcess& process);

  // False (with InvalidParameter) when SetVersionExFails was asked for.
  bool VersionEx(OsVersion* version) override;
  // The same without the service pack numbers (the basic structure has none).
  bool Version(OsVersion* version) override;
  bool VersionAtLeast(std::uint32_t major, std::uint32_t minor, std::uint16_t spMajor,
                      std::uint16_t spMinor) override;
  LangId UserDefaultUiLanguage() override { return userUiLanguage_; }
  LangId SystemDefaultUiLanguage() override { return systemUiLanguage_; }
  LangId UserDefaultLangId() override { return userLangId_; }
  std::uint32_t TickCount() override { return clock_.TickCount(); }
  std::int64_t PerformanceCounter() override { return clock_.PerformanceCounter(); }
  SystemTime UtcNow() override { return clock_.UtcNow(); }
  // The system has English texts: asked in the neutral or a default language, or in any
  // English one, the text comes with its CR LF; another language fails with
  // ResourceLangNotFound, an unknown code with MrMidNotFound.
  bool SystemErrorText(std::uint32_t code, LangId language, std::wstring* text) override;
  // %NAME% (name without regard to case) becomes the variable's value; unknown names stay.
  std::wstring ExpandEnvironment(const std::wstring& text) override;
  std::wstring AnsiToWide(const std::string& text) override;
  std::wstring UpperCase(const std::wstring& text) override;

  // --- Set-up.
  void SetRelease(WindowsRelease release) { version_ = VersionOf(release); }
  void SetVersion(const OsVersion& version) { version_ = version; }
  const OsVersion& CurrentVersion() const { return version_; }
  void SetVersionExFails(bool fails) { versionExFails_ = fails; }
  bool VersionExFails() const { return versionExFails_; }
  // GetUserDefaultUILanguage, GetSystemDefaultUILanguage, GetUserDefaultLangID.
  void SetLanguages(LangId userUi, LangId systemUi, LangId userLangId);
  // Sets (or, with no value, removes) an environment variable.
  void SetVariable(const std::wstring& name, std::optional<std::wstring> value);
  std::optional<std::wstring> Variable(const std::wstring& name) const;
  // Every variable, by upper-case name: {name as set, value}.
  const std::map<std::wstring, std::pair<std::wstring, std::wstring>>& Environment() const {
    return environment_;
  }

 private:
  SimClock& clock_;
  SimProcess& process_;
  OsVersion version_ = VersionOf(WindowsRelease::Ten);
  bool versionExFails_ = false;
  LangId userUiLanguage_ = kEnglishUs;
  LangId systemUiLanguage_ = kEnglishUs;
  LangId userLangId_ = kEnglishUs;
  std::map<std::wstring, std::pair<std::wstring, std::wstring>> environment_;
};

}  // namespace platform::sim
