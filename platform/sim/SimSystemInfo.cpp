#include "platform/sim/SimSystemInfo.h"

#include <tuple>

#include "platform/sim/SimErrorTexts.h"
#include "platform/sim/SimErrors.h"
#include "platform/sim/SimText.h"

namespace platform::sim {
namespace {

constexpr LangId kLangNeutral = 0x0000;
constexpr LangId kLangUserDefault = 0x0400;
constexpr LangId kLangSystemDefault = 0x0800;
constexpr LangId kPrimaryEnglish = 0x09;

struct ReleaseEntry {
  WindowsRelease release;
  const wchar_t* name;
  std::uint32_t major, minor, build;
  std::uint16_t servicePack;
};
const ReleaseEntry kReleases[] = {
    {WindowsRelease::XpSp2, L"xp-sp2", 5, 1, 2600, 2},
    {WindowsRelease::XpSp3, L"xp-sp3", 5, 1, 2600, 3},
    {WindowsRelease::Vista, L"vista", 6, 0, 6002, 2},
    {WindowsRelease::Seven, L"7", 6, 1, 7601, 1},
    {WindowsRelease::Ten, L"10", 10, 0, 19045, 0},
};

const ReleaseEntry& EntryOf(WindowsRelease release) {
  for (const ReleaseEntry& entry : kReleases)
    if (entry.release == release) return entry;
  return kReleases[4];
}

// The default environment of the user "User" on drive C.
const std::pair<const wchar_t*, const wchar_t*> kDefaultEnvironment[] = {
    {L"ALLUSERSPROFILE", L"C:\\ProgramData"},
    {L"APPDATA", L"C:\\Users\\User\\AppData\\Roaming"},
    {L"COMPUTERNAME", L"TAMBER-SIM"},
    {L"ComSpec", L"C:\\Windows\\system32\\cmd.exe"},
    {L"HOMEDRIVE", L"C:"},
    {L"HOMEPATH", L"\\Users\\User"},
    {L"LOCALAPPDATA", L"C:\\Users\\User\\AppData\\Local"},
    {L"OS", L"Windows_NT"},
    {L"ProgramData", L"C:\\ProgramData"},
    {L"ProgramFiles", L"C:\\Program Files"},
    {L"ProgramFiles(x86)", L"C:\\Program Files (x86)"},
    {L"PUBLIC", L"C:\\Users\\Public"},
    {L"SystemDrive", L"C:"},
    {L"SystemRoot", L"C:\\Windows"},
    {L"TEMP", L"C:\\Users\\User\\AppData\\Local\\Temp"},
    {L"TMP", L"C:\\Users\\User\\AppData\\Local\\Temp"},
    {L"USERNAME", L"User"},
    {L"USERPROFILE", L"C:\\Users\\User"},
    {L"windir", L"C:\\Windows"},
};

bool HasEnglishTexts(LangId language) {
  return language == kLangNeutral || language == kLangUserDefault ||
         language == kLangSystemDefault || (language & 0x3FF) == kPrimaryEnglish;
}

}  // namespace

OsVersion VersionOf(WindowsRelease release) {
  const ReleaseEntry& entry = EntryOf(release);
  OsVersion version;
  version.major = entry.major;
  version.minor = entry.minor;
  version.build = entry.build;
  version.servicePackMajor = entry.servicePack;
  if (entry.servicePack != 0)
    version.csdVersion = L"Service Pack " + std::to_wstring(entry.servicePack);
  return version;
}

const wchar_t* ReleaseName(WindowsRelease release) { return EntryOf(release).name; }

std::optional<WindowsRelease> ReleaseFromName(const std::wstring& name) {
  for (const ReleaseEntry& entry : kReleases)
    if (EqualsNoCase(name, entry.name)) return entry.release;
  return std::nullopt;
}

SimSystemInfo::SimSystemInfo(SimClock& clock, SimProcess& process)
    : clock_(clock), process_(process) {
  for (const auto& [name, value] : kDefaultEnvironment) SetVariable(name, value);
}

bool SimSystemInfo::VersionEx(OsVersion* version) {
  if (versionExFails_) {
    process_.SetLastError(err::InvalidParameter);
    return false;
  }
  *version = version_;
  return true;
}

bool SimSystemInfo::Version(OsVersion* version) {
  *version = version_;
  version->servicePackMajor = 0;
  version->servicePackMinor = 0;
  return true;
}

bool SimSystemInfo::VersionAtLeast(std::uint32_t major, std::uint32_t minor,
                                   std::uint16_t spMajor, std::uint16_t spMinor) {
  const auto have = std::make_tuple(version_.major, version_.minor, version_.servicePackMajor,
                                    version_.servicePackMinor);
  const bool atLeast = have >= std::make_tuple(major, minor, spMajor, spMinor);
  // ERROR_OLD_WIN_VERSION, as VerifyVersionInfoW reports a failed comparison.
  if (!atLeast) process_.SetLastError(1150);
  return atLeast;
}

bool SimSystemInfo::SystemErrorText(std::uint32_t code, LangId language, std::wstring* text) {
  const wchar_t* found = SystemMessageText(code);
  if (found == nullptr) {
    process_.SetLastError(simerr::MrMidNotFound);
    return false;
  }
  if (!HasEnglishTexts(language)) {
    process_.SetLastError(simerr::ResourceLangNotFound);
    return false;
  }
  *text = std::wstring(found) + L"\r\n";
  return true;
}

std::wstring SimSystemInfo::ExpandEnvironment(const std::wstring& text) {
  std::wstring out;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t open = text.find(L'%', i);
    const std::size_t close = open == std::wstring::npos ? open : text.find(L'%', open + 1);
    if (close == std::wstring::npos) break;
    out.append(text, i, open - i);
    const auto value = Variable(text.substr(open + 1, close - open - 1));
    if (value && close > open + 1) {
      out += *value;
      i = close + 1;
      continue;
    }
    // Not a variable: keep the first percent sign and look again from the second.
    out.push_back(L'%');
    i = open + 1;
  }
  out.append(text, i, std::wstring::npos);
  return out;
}

std::wstring SimSystemInfo::AnsiToWide(const std::string& text) { return Windows1252ToWide(text); }

std::wstring SimSystemInfo::UpperCase(const std::wstring& text) { return sim::UpperCase(text); }

void SimSystemInfo::SetLanguages(LangId userUi, LangId systemUi, LangId userLangId) {
  userUiLanguage_ = userUi;
  systemUiLanguage_ = systemUi;
  userLangId_ = userLangId;
}

void SimSystemInfo::SetVariable(const std::wstring& name,
                                           std::optional<std::wstring> value) {
  if (!value) {
    environment_.erase(sim::UpperCase(name));
    return;
  }
  environment_[sim::UpperCase(name)] = {name, *value};
}

std::optional<std::wstring> SimSystemInfo::Variable(const std::wstring& name) const {
  auto it = environment_.find(sim::UpperCase(name));
  if (it == environment_.end()) return std::nullopt;
  return it->second.second;
}

}  // namespace platform::sim
