// System facts: version and its verification, languages, clocks, error texts, environment
// expansion, ANSI conversion and upper case.
#include <windows.h>

#include "Probe.h"
#include "platform/Machine.h"
#include "platform/SystemInfo.h"

namespace probe {
namespace {

std::wstring VersionText(const platform::OsVersion& v) {
  return std::to_wstring(v.major) + L"." + std::to_wstring(v.minor) + L"." +
         std::to_wstring(v.build) + L" SP" + std::to_wstring(v.servicePackMajor) + L"." +
         std::to_wstring(v.servicePackMinor) + L" '" + v.csdVersion + L"'";
}

void ProbeVersion() {
  auto& system = platform::system();
  platform::OsVersion extended, basic;
  const bool haveExtended = system.VersionEx(&extended);
  Check("system: VersionEx", haveExtended && extended.major >= 5 && extended.platformId == 2,
        VersionText(extended));
  const bool haveBasic = system.Version(&basic);
  Check("system: Version agrees on major, minor and build",
        haveBasic && basic.major == extended.major && basic.minor == extended.minor &&
            basic.build == extended.build && basic.csdVersion == extended.csdVersion,
        VersionText(basic));
  if (!haveExtended) return;
  const auto spMajor = extended.servicePackMajor, spMinor = extended.servicePackMinor;
  Check("system: VersionAtLeast XP SP3", system.VersionAtLeast(5, 1, 3, 0));
  Check("system: VersionAtLeast the running version",
        system.VersionAtLeast(extended.major, extended.minor, spMajor, spMinor));
  Check("system: not VersionAtLeast the next major version",
        !system.VersionAtLeast(extended.major + 1, 0, 0, 0));
  Check("system: not VersionAtLeast the next service pack",
        !system.VersionAtLeast(extended.major, extended.minor, spMajor + 1, 0));
  Check("system: VersionAtLeast an older minor version with a later service pack",
        extended.minor == 0 ||
            system.VersionAtLeast(extended.major, extended.minor - 1, spMajor + 1, 0));
}

void ProbeLanguagesAndClocks() {
  auto& system = platform::system();
  Check("system: languages",
        system.UserDefaultUiLanguage() == ::GetUserDefaultUILanguage() &&
            system.SystemDefaultUiLanguage() == ::GetSystemDefaultUILanguage() &&
            system.UserDefaultLangId() == ::GetUserDefaultLangID() &&
            system.UserDefaultLangId() != 0,
        Hex(system.UserDefaultUiLanguage()) + L" " + Hex(system.UserDefaultLangId()));
  const std::uint32_t tick = system.TickCount();
  const std::int64_t counter = system.PerformanceCounter();
  ::Sleep(50);
  const std::uint32_t ticks = system.TickCount() - tick;
  const std::int64_t counts = system.PerformanceCounter() - counter;
  Check("system: TickCount and PerformanceCounter advance across a sleep", ticks > 0 && counts > 0,
        std::to_wstring(ticks) + L" ms, " + std::to_wstring(counts) + L" counts");
  const platform::SystemTime now = system.UtcNow();
  Check("system: UtcNow",
        now.year >= 2020 && now.month >= 1 && now.month <= 12 && now.day >= 1 && now.day <= 31,
        std::to_wstring(now.year) + L"-" + std::to_wstring(now.month) + L"-" +
            std::to_wstring(now.day));
}

void ProbeErrorText() {
  auto& system = platform::system();
  std::wstring text;
  const bool found = system.SystemErrorText(5, 0, &text);
  Check("system: SystemErrorText of 5 ends with a line break",
        found && text.size() > 2 && text.find(L"ccess") != std::wstring::npos &&
            text.compare(text.size() - 2, 2, L"\r\n") == 0,
        text);
  Check("system: SystemErrorText of an unknown code fails",
        !system.SystemErrorText(0x2FFFFFFFu, 0, &text) && text.empty());
}

void ProbeTextConversions() {
  auto& system = platform::system();
  ::SetEnvironmentVariableW(L"TAMBER4_PROBE", L"x y");
  Check("system: ExpandEnvironment",
        system.ExpandEnvironment(L"a%TAMBER4_PROBE%b%TAMBER4_UNSET%") == L"ax yb%TAMBER4_UNSET%",
        system.ExpandEnvironment(L"a%TAMBER4_PROBE%b%TAMBER4_UNSET%"));
  const std::wstring longValue(5000, L'v');
  ::SetEnvironmentVariableW(L"TAMBER4_PROBE", longValue.c_str());
  Check("system: ExpandEnvironment to a text longer than its first buffer",
        system.ExpandEnvironment(L"[%TAMBER4_PROBE%]") == L"[" + longValue + L"]");
  ::SetEnvironmentVariableW(L"TAMBER4_PROBE", nullptr);
  Check("system: ExpandEnvironment of an empty text", system.ExpandEnvironment(L"").empty());

  Check("system: AnsiToWide of ASCII", system.AnsiToWide("Setup 4.0") == L"Setup 4.0");
  if (::GetACP() == 1252)
    Check("system: AnsiToWide in code page 1252", system.AnsiToWide("\xE4\x80") == L"\u00e4\u20ac");
  else
    Skip("system: AnsiToWide in code page 1252", "the ANSI code page is not 1252");
  Check("system: AnsiToWide of an empty text", system.AnsiToWide("").empty());

  const std::wstring upper = system.UpperCase(L"c:\\program files\\t\u00e4mber\u00df.exe");
  Check("system: UpperCase, one character for one",
        upper == L"C:\\PROGRAM FILES\\T\u00c4MBER\u00df.EXE", upper);
  Check("system: UpperCase of an empty text", system.UpperCase(L"").empty());
}

}  // namespace

void ProbeSystemInfo() {
  ProbeVersion();
  ProbeLanguagesAndClocks();
  ProbeErrorText();
  ProbeTextConversions();
}

}  // namespace probe
