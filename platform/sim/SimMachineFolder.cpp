// The machine folder of tamber4sim: SimMachine::Load and SimMachine::Save.
//
//   FOLDER/drive_c/...     drive C (drive_d for D, ...): the simulated files themselves
//   FOLDER/registry.txt    the registry, one value per line (format in SimRegistryText.cpp):
//                          what a saved machine keeps, read back whole
//   FOLDER/registry.reg    without registry.txt: regedit's file imported over the default
//                          machine's registry (SimRegFile.h), as a description has it
//   FOLDER/registry-after.reg  the saved registry in regedit's format, for people to read
//   FOLDER/machine.txt     the machine's facts, UTF-8, one "key = value" per line; spaces
//                          around key and value are ignored, "#" starts a comment line,
//                          values use the escapes of registry.txt (^^ ^t ^r ^n ^0 ^uXXXX)
//
// The keys of machine.txt, their values and defaults: SimMachineKeys.cpp. A missing key
// keeps the default machine's fact.
// A missing folder, or missing files in it, give the default machine (SimMachine.h).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <vector>

#include "platform/sim/SimCoordinationFacts.h"
#include "platform/sim/SimInstallerFacts.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimMachineKeys.h"
#include "platform/sim/SimRegFile.h"
#include "platform/sim/SimRegistryText.h"
#include "platform/sim/SimSecurityFacts.h"
#include "platform/sim/SimText.h"
#include "platform/sim/SimTransferFacts.h"

namespace fs = std::filesystem;

namespace platform::sim {
namespace {

constexpr const char* kMachineFile = "machine.txt";
constexpr const char* kRegistryFile = "registry.txt";
constexpr const char* kRegFile = "registry.reg";
constexpr const char* kRegExportFile = "registry-after.reg";

struct AnswerName {
  int answer;
  const char* name;
};
const AnswerName kAnswerNames[] = {{0, "none"}, {1, "ok"},    {2, "cancel"}, {3, "abort"},
                                   {4, "retry"}, {5, "ignore"}, {6, "yes"},   {7, "no"}};

struct FolderKey {
  int csidl;
  const char* key;
};
const FolderKey kFolderKeys[] = {{csidl::Personal, "documents-folder"},
                                 {csidl::LocalAppData, "local-app-data-folder"},
                                 {csidl::ProgramFiles, "program-files-folder"},
                                 {csidl::System, "system-folder"}};

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool ReadFile(const fs::path& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

bool ParseUnsigned(const std::string& text, std::uint64_t maximum, std::uint64_t* value) {
  if (text.empty() || text[0] == '-') return false;
  char* end = nullptr;
  *value = std::strtoull(text.c_str(), &end, 0);
  return *end == '\0' && *value <= maximum;
}

// "a.b.c" into exactly `count` numbers of at most `maximum` each.
bool ParseDotted(const std::string& text, std::size_t count, std::uint64_t maximum,
                 std::vector<std::uint64_t>* parts) {
  parts->clear();
  std::stringstream stream(text);
  std::string item;
  while (std::getline(stream, item, '.')) {
    std::uint64_t value = 0;
    if (!ParseUnsigned(item, maximum, &value)) return false;
    parts->push_back(value);
  }
  return parts->size() == count;
}

bool ParseYesNo(const std::string& text, bool* value) {
  if (text != "yes" && text != "no") return false;
  *value = text == "yes";
  return true;
}

bool ParseAnswer(const std::string& text, int* answer) {
  for (const AnswerName& entry : kAnswerNames) {
    if (text != entry.name) continue;
    *answer = entry.answer;
    return true;
  }
  std::uint64_t number = 0;
  if (!ParseUnsigned(text, 0x7FFFFFFF, &number)) return false;
  *answer = static_cast<int>(number);
  return true;
}

std::string AnswerText(int answer) {
  for (const AnswerName& entry : kAnswerNames)
    if (answer == entry.answer) return entry.name;
  return std::to_string(answer);
}

// "2026-03-01T10:15:42Z".
bool ParseUtc(const std::string& text, SystemTime* time) {
  unsigned y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  char z = 0;
  if (std::sscanf(text.c_str(), "%4u-%2u-%2uT%2u:%2u:%2u%c", &y, &mo, &d, &h, &mi, &s, &z) != 7 ||
      z != 'Z' || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59)
    return false;
  *time = SystemTime{static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(mo), 0,
                     static_cast<std::uint16_t>(d), static_cast<std::uint16_t>(h),
                     static_cast<std::uint16_t>(mi), static_cast<std::uint16_t>(s), 0};
  return true;
}

std::string UtcText(const SystemTime& t) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02uT%02u:%02u:%02uZ", t.year, t.month, t.day,
                t.hour, t.minute, t.second);
  return buffer;
}

std::string Hex(std::uint32_t value, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%0*X", digits, value);
  return buffer;
}

bool ParseText(const std::string& value, std::wstring* text) { return UnescapeField(value, text); }

bool ApplyVersionPart(SimMachine& m, const std::string& value, std::size_t count,
                      std::uint64_t maximum,
                      const std::function<void(OsVersion&, const std::vector<std::uint64_t>&)>& set) {
  std::vector<std::uint64_t> parts;
  if (!ParseDotted(value, count, maximum, &parts)) return false;
  OsVersion version = m.system().CurrentVersion();
  set(version, parts);
  m.system().SetVersion(version);
  return true;
}

// Language fact: 0 user UI language, 1 system UI language, 2 user locale.
bool ApplyLanguage(SimMachine& m, const std::string& value, int which) {
  std::uint64_t n = 0;
  if (!ParseUnsigned(value, 0xFFFF, &n)) return false;
  auto& s = m.system();
  LangId languages[3] = {s.UserDefaultUiLanguage(), s.SystemDefaultUiLanguage(), s.UserDefaultLangId()};
  languages[which] = static_cast<LangId>(n);
  s.SetLanguages(languages[0], languages[1], languages[2]);
  return true;
}

bool ApplyYesNo(const std::string& value, const std::function<void(bool)>& set) {
  bool flag = false;
  if (!ParseYesNo(value, &flag)) return false;
  set(flag);
  return true;
}

bool ApplyText(const std::string& value, const std::function<void(const std::wstring&)>& set) {
  std::wstring text;
  if (!ParseText(value, &text)) return false;
  set(text);
  return true;
}

bool ApplyNumber(const std::string& value, std::uint64_t maximum,
                 const std::function<void(std::uint64_t)>& set) {
  std::uint64_t n = 0;
  if (!ParseUnsigned(value, maximum, &n)) return false;
  set(n);
  return true;
}

bool ApplyWorkingSet(SimMachine& m, const std::string& value) {
  std::uint64_t n = 0;
  const bool fails = value == "fails";
  if (!fails && !ParseUnsigned(value, ~0ull, &n)) return false;
  m.process().SetMemoryInfo(m.process().MemoryInfoAvailable(),
                            fails ? std::nullopt : std::optional<std::uint64_t>(n));
  return true;
}

bool ApplyEnvironment(SimMachine& m, const std::string& value) {
  std::wstring assignment;
  if (!ParseText(value, &assignment)) return false;
  const std::size_t equals = assignment.find(L'=', 1);
  if (equals == std::wstring::npos) return false;
  m.system().SetVariable(assignment.substr(0, equals), assignment.substr(equals + 1));
  return true;
}

bool ApplyUtcTime(SimMachine& m, const std::string& value) {
  SystemTime utc;
  if (!ParseUtc(value, &utc)) return false;
  m.clock().SetUtcNow(utc);
  m.SetHostClock(false);
  return true;
}

bool ApplyFileVersion(SimMachine& m, const std::string& value) {
  std::vector<std::uint64_t> p;
  if (!ParseDotted(value, 4, 0xFFFF, &p)) return false;
  const auto part = [&](int i) { return static_cast<std::uint16_t>(p[i]); };
  m.resources().SetFileVersion(part(0), part(1), part(2), part(3));
  return true;
}

bool ApplyIds(SimMachine& m, const std::string& value, bool processId) {
  return ApplyNumber(value, 0xFFFFFFFF, [&](std::uint64_t n) {
    auto& p = m.process();
    const auto id = static_cast<std::uint32_t>(n);
    p.SetIds(processId ? id : p.ProcessId(), processId ? p.ThreadId() : id);
  });
}

// "PATH|exit code|run milliseconds"; the last two may be left out.
bool ApplyProgram(SimMachine& m, const std::string& value) {
  std::vector<std::string> fields;
  std::stringstream stream(value);
  for (std::string field; std::getline(stream, field, '|');) fields.push_back(Trim(field));
  std::wstring path;
  std::uint64_t exitCode = 0, runMilliseconds = 0;
  if (fields.empty() || fields.size() > 3 || !ParseText(fields[0], &path) || path.empty() ||
      (fields.size() > 1 && !ParseUnsigned(fields[1], 0xFFFFFFFF, &exitCode)) ||
      (fields.size() > 2 && !ParseUnsigned(fields[2], ~0ull, &runMilliseconds)))
    return false;
  SimProgram program;
  program.exitCode = static_cast<std::uint32_t>(exitCode);
  program.runMilliseconds = runMilliseconds;
  m.PutProgram(path, program);
  return true;
}

using FactReader = bool (*)(SimMachine&, const std::string&);

struct Fact {
  const char* key;
  FactReader apply;
};

// One reader per machine.txt key (the folders and strings are handled apart).
const Fact kFacts[] = {
    {"windows", [](SimMachine& m, const std::string& v) {
       const auto release = ReleaseFromName(Utf8ToWide(v));
       if (release) m.SetRelease(*release);
       return release.has_value();
     }},
    {"version", [](SimMachine& m, const std::string& v) {
       return ApplyVersionPart(m, v, 3, 0xFFFFFFFF, [](OsVersion& o, const auto& p) {
         o.major = static_cast<std::uint32_t>(p[0]);
         o.minor = static_cast<std::uint32_t>(p[1]);
         o.build = static_cast<std::uint32_t>(p[2]);
       });
     }},
    {"service-pack", [](SimMachine& m, const std::string& v) {
       return ApplyVersionPart(m, v, 2, 0xFFFF, [](OsVersion& o, const auto& p) {
         o.servicePackMajor = static_cast<std::uint16_t>(p[0]);
         o.servicePackMinor = static_cast<std::uint16_t>(p[1]);
       });
     }},
    {"csd-version", [](SimMachine& m, const std::string& v) {
       return ApplyText(v, [&](const std::wstring& t) {
         OsVersion o = m.system().CurrentVersion();
         o.csdVersion = t;
         m.system().SetVersion(o);
       });
     }},
    {"version-ex-fails", [](SimMachine& m, const std::string& v) {
       return ApplyYesNo(v, [&](bool f) { m.system().SetVersionExFails(f); });
     }},
    {"ui-language", [](SimMachine& m, const std::string& v) { return ApplyLanguage(m, v, 0); }},
    {"system-ui-language", [](SimMachine& m, const std::string& v) { return ApplyLanguage(m, v, 1); }},
    {"user-language", [](SimMachine& m, const std::string& v) { return ApplyLanguage(m, v, 2); }},
    {"administrator", [](SimMachine& m, const std::string& v) {
       return ApplyYesNo(v, [&](bool f) { m.SetAdministrator(f); });
     }},
    {"elevated", [](SimMachine& m, const std::string& v) {
       return ApplyYesNo(v, [&](bool f) { m.security().SetElevated(f); });
     }},
    {"exe-path", [](SimMachine& m, const std::string& v) {
       return ApplyText(v, [&](const std::wstring& t) { m.SetExePath(t); });
     }},
    {"current-directory", [](SimMachine& m, const std::string& v) {
       return ApplyText(v, [&](const std::wstring& t) { m.files().SetCurrentFolder(t); });
     }},
    {"temp-folder", [](SimMachine& m, const std::string& v) {
       return ApplyText(v, [&](const std::wstring& t) { m.SetTempPath(t); });
     }},
    {"folder-path-function", [](SimMachine& m, const std::string& v) {
       return ApplyYesNo(v, [&](bool f) { m.shell().SetFolderPathFunctionPresent(f); });
     }},
    {"file-version", ApplyFileVersion},
    {"utc-time", ApplyUtcTime},
    {"tick-count", [](SimMachine& m, const std::string& v) {
       return ApplyNumber(v, ~0ull, [&](std::uint64_t n) { m.clock().SetTickCount(n); });
     }},
    {"process-id", [](SimMachine& m, const std::string& v) { return ApplyIds(m, v, true); }},
    {"thread-id", [](SimMachine& m, const std::string& v) { return ApplyIds(m, v, false); }},
    {"memory-info", [](SimMachine& m, const std::string& v) {
       return ApplyYesNo(v, [&](bool f) {
         m.process().SetMemoryInfo(f, m.process().WorkingSetSetting());
       });
     }},
    {"working-set-bytes", ApplyWorkingSet},
    {"environment", ApplyEnvironment},
    {"program", ApplyProgram},
    {"elevation-answer", [](SimMachine& m, const std::string& v) {
       if (v != "accept" && v != "refuse") return false;
       m.processes().QueueElevationAnswer(v == "accept");
       return true;
     }},
    {"box-answer", [](SimMachine& m, const std::string& v) {
       int answer = 0;
       if (!ParseAnswer(v, &answer)) return false;
       m.QueueAnswer(answer);
       return true;
     }},
};

// Applies one "key = value" of machine.txt; false when the key or the value is not known.
bool ApplyFact(SimMachine& m, const std::string& key, const std::string& value) {
  for (const Fact& fact : kFacts)
    if (key == fact.key) return fact.apply(m, value);
  if (ApplyInstallerFact(m.installer(), key, value)) return true;
  if (ApplySecurityFact(m.security(), key, value)) return true;
  if (ApplyCoordinationFact(m, key, value)) return true;
  if (ApplyTransferFact(m.transfers(), key, value)) return true;
  for (const FolderKey& folder : kFolderKeys)
    if (key == folder.key)
      return ApplyText(value, [&](const std::wstring& t) { m.SetFolder(folder.csidl, t); });
  std::uint64_t id = 0;
  if (key.rfind("string-", 0) == 0 && ParseUnsigned(key.substr(7), 0xFFFF, &id))
    return ApplyText(value, [&](const std::wstring& t) {
      m.resources().SetString(static_cast<std::uint32_t>(id), t);
    });
  return false;
}

// Applies every line it can and names each one it cannot, one per line of `error`, so that a
// description with several mistakes is mended in one go.
bool ApplyFacts(SimMachine& m, const std::string& text, std::string* error) {
  error->clear();
  std::stringstream stream(text);
  std::string line;
  for (int number = 1; std::getline(stream, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    const std::size_t equals = trimmed.find('=');
    const std::string key = Trim(trimmed.substr(0, equals));
    const std::string value = equals == std::string::npos ? "" : Trim(trimmed.substr(equals + 1));
    if (equals != std::string::npos && ApplyFact(m, key, value)) continue;
    if (!error->empty()) *error += "\n";
    *error += equals == std::string::npos
                  ? std::string(kMachineFile) + " line " + std::to_string(number) + ": '" +
                        trimmed + "' is not \"key = value\""
                  : MachineLineError(kMachineFile, number, key, value);
  }
  return error->empty();
}

void AddFact(std::string* out, const std::string& key, const std::string& value) {
  *out += key + " = " + value + "\n";
}

void AddVersionFacts(SimMachine& m, std::string* out) {
  const OsVersion& v = m.system().CurrentVersion();
  for (WindowsRelease r : {WindowsRelease::XpSp2, WindowsRelease::XpSp3, WindowsRelease::Vista,
                           WindowsRelease::Seven, WindowsRelease::Ten}) {
    const OsVersion preset = VersionOf(r);
    if (preset.major == v.major && preset.minor == v.minor && preset.build == v.build &&
        preset.servicePackMajor == v.servicePackMajor &&
        preset.servicePackMinor == v.servicePackMinor && preset.csdVersion == v.csdVersion)
      return AddFact(out, "windows", WideToUtf8(ReleaseName(r)));
  }
  AddFact(out, "version", std::to_string(v.major) + "." + std::to_string(v.minor) + "." +
                              std::to_string(v.build));
  AddFact(out, "service-pack", std::to_string(v.servicePackMajor) + "." + std::to_string(v.servicePackMinor));
  AddFact(out, "csd-version", EscapeField(v.csdVersion));
}

std::string FactsText(SimMachine& m) {
  std::string out = "# The state a tamber4sim run left (keys: tamber4sim keys).\n";
  AddVersionFacts(m, &out);
  auto& s = m.system();
  AddFact(&out, "version-ex-fails", s.VersionExFails() ? "yes" : "no");
  AddFact(&out, "ui-language", Hex(s.UserDefaultUiLanguage(), 4));
  AddFact(&out, "system-ui-language", Hex(s.SystemDefaultUiLanguage(), 4));
  AddFact(&out, "user-language", Hex(s.UserDefaultLangId(), 4));
  AddFact(&out, "administrator", m.IsAdministrator() ? "yes" : "no");
  AddFact(&out, "elevated", m.security().IsElevated() ? "yes" : "no");
  AddFact(&out, "exe-path", EscapeField(m.process().ExePath()));
  if (m.files().CurrentFolderSetting())
    AddFact(&out, "current-directory", EscapeField(*m.files().CurrentFolderSetting()));
  for (const FolderKey& folder : kFolderKeys) {
    auto it = m.shell().Folders().find(folder.csidl);
    if (it != m.shell().Folders().end()) AddFact(&out, folder.key, EscapeField(it->second));
  }
  AddFact(&out, "temp-folder", EscapeField(m.files().TempPath()));
  AddFact(&out, "folder-path-function", m.shell().HasFolderPathFunction() ? "yes" : "no");
  std::uint16_t v[4];
  m.resources().FileVersion(v);
  AddFact(&out, "file-version", std::to_string(v[0]) + "." + std::to_string(v[1]) + "." +
                                    std::to_string(v[2]) + "." + std::to_string(v[3]));
  for (const auto& [id, text] : m.resources().Strings())
    AddFact(&out, "string-" + std::to_string(id), EscapeField(text));
  if (!m.UsesHostClock()) AddFact(&out, "utc-time", UtcText(m.clock().UtcNow()));
  AddFact(&out, "tick-count", std::to_string(m.clock().Ticks()));
  AddFact(&out, "process-id", Hex(m.process().ProcessId(), 4));
  AddFact(&out, "thread-id", Hex(m.process().ThreadId(), 4));
  AddFact(&out, "memory-info", m.process().MemoryInfoAvailable() ? "yes" : "no");
  const auto workingSet = m.process().WorkingSetSetting();
  AddFact(&out, "working-set-bytes", workingSet ? std::to_string(*workingSet) : "fails");
  for (const auto& [upper, variable] : s.Environment())
    AddFact(&out, "environment", EscapeField(variable.first + L"=" + variable.second));
  for (const auto& [path, program] : m.Programs())
    AddFact(&out, "program", EscapeField(path) + "|" + std::to_string(program.exitCode) + "|" +
                                 std::to_string(program.runMilliseconds));
  for (int answer : m.ui().QueuedAnswers()) AddFact(&out, "box-answer", AnswerText(answer));
  out += InstallerFactsText(m.installer());
  out += SecurityFactsText(m.security());
  out += CoordinationFactsText(m);
  out += TransferFactsText(m.transfers());
  return out;
}

bool CopyDrives(SimMachine& m, const fs::path& folder, std::string* error) {
  std::error_code ec;
  if (m.files().Naming() == DriveNaming::Wine && fs::equivalent(m.files().Root(), folder, ec))
    return true;
  for (wchar_t letter : m.files().Drives()) {
    const fs::path target = folder / (std::string("drive_") + static_cast<char>(letter - L'A' + 'a'));
    fs::copy(m.files().DriveFolder(letter), target,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
    if (ec) {
      *error = "cannot copy drive " + std::string(1, static_cast<char>(letter)) + ": " + ec.message();
      return false;
    }
  }
  return true;
}

}  // namespace

std::unique_ptr<SimMachine> SimMachine::Load(const fs::path& folder, std::string* error) {
  auto m = std::make_unique<SimMachine>(folder, DriveNaming::Wine);
  m->clock().SetUtcNow(SimClock::HostUtcNow());
  m->SetHostClock(true);
  std::string text;
  std::string problem;
  if (ReadFile(folder / kRegistryFile, &text)) {
    m->registry().Clear();
    if (!RegistryFromText(text, &m->registry(), &problem)) {
      *error = std::string(kRegistryFile) + " " + problem;
      return nullptr;
    }
  } else if (ReadFile(folder / kRegFile, &text) && !ImportRegFile(text, &m->registry(), &problem)) {
    *error = std::string(kRegFile) + " " + problem;
    return nullptr;
  }
  if (ReadFile(folder / kMachineFile, &text) && !ApplyFacts(*m, text, error)) return nullptr;
  return m;
}

bool SimMachine::Save(const fs::path& folder, std::string* error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!CopyDrives(*this, folder, error)) return false;
  if (!WriteFile(folder / kMachineFile, FactsText(*this)) ||
      !WriteFile(folder / kRegistryFile, RegistryToText(registry_)) ||
      !WriteFile(folder / kRegExportFile, ExportRegFile(registry_))) {
    *error = "cannot write into " + folder.string();
    return false;
  }
  return true;
}

}  // namespace platform::sim
