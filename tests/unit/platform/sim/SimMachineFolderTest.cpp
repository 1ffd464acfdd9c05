// tamber4sim's machine folder: what is saved comes back, and a missing folder gives the
// default machine.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/sim/SimMachine.h"
#include "platform/sim/SimRegistryText.h"
#include "platform/sim/SimTempFolder.h"

namespace {

using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;
using platform::sim::SimMachine;
using platform::sim::SimRegistry;
namespace reg = platform::reg;

std::string ReadHostFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteHostFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class SimMachineFolderTest : public ::testing::Test {
 protected:
  std::unique_ptr<SimMachine> Load() {
    std::string error;
    auto m = SimMachine::Load(folder_.path() / "machine", &error);
    EXPECT_TRUE(m) << error;
    return m;
  }
  std::filesystem::path Path(const char* name) { return folder_.path() / "machine" / name; }

  platform::sim::SimTempFolder folder_;
};

TEST_F(SimMachineFolderTest, AMissingFolderGivesTheDefaultMachine) {
  auto m = Load();
  EXPECT_TRUE(std::filesystem::is_directory(Path("drive_c/Users/User/AppData/Local/Temp")));
  EXPECT_TRUE(m->UsesHostClock());
  EXPECT_TRUE(m->IsAdministrator());
  std::wstring documents;
  EXPECT_EQ(m->shell().FolderPath(platform::csidl::Personal, &documents), platform::hr::Ok);
  EXPECT_EQ(documents, L"C:\\Users\\User\\Documents");
  std::string error;
  ASSERT_TRUE(m->Save(Path(""), &error)) << error;
  EXPECT_NE(ReadHostFile(Path("machine.txt")).find("windows = 10\n"), std::string::npos);
  EXPECT_EQ(ReadHostFile(Path("machine.txt")).find("utc-time"), std::string::npos);
}

TEST_F(SimMachineFolderTest, SavedFactsRegistryAndFilesComeBack) {
  {
    auto m = Load();
    m->SetRelease(platform::sim::WindowsRelease::XpSp3);
    m->system().SetLanguages(0x0C0A, 0x0409, 0x041D);
    m->SetAdministrator(false);
    m->SetExePath(L"D:\\Setup Disc\\Tamber4Setup.exe");
    m->SetFolder(platform::csidl::Personal, L"C:\\Documents and Settings\\User\\My Documents");
    m->shell().SetFolderPathFunctionPresent(false);
    m->resources().SetString(131, L"https://example.test/a^b.crvdat");
    m->system().SetVariable(L"TAMBER_HOME", L"C:\\t=x");
    m->QueueAnswer(platform::mb::IdYes);
    m->QueueAnswer(0);
    m->process().SetMemoryInfo(true, std::nullopt);
    auto& r = m->registry();
    r.PutDword(kHkeyCurrentUser, L"Software\\Tamber4\\Logging", L"Enabled", 0xFFFFFFFF);
    r.PutString(kHkeyCurrentUser, L"Software\\Tamber4", L"", L"tab\there, caf\u00e9 ^ \xD83D\xDE00");
    r.PutString(kHkeyCurrentUser, L"Software\\Tamber4", L"Path", L"%TEMP%\\x", reg::ExpandSz);
    r.Put(kHkeyCurrentUser, L"Software\\Tamber4", L"Multi", reg::MultiSz,
          platform::sim::StringBytes(std::wstring(L"a\0b\0", 4)));
    r.Put(kHkeyCurrentUser, L"Software\\Tamber4", L"Odd", reg::Sz, {0x41, 0x00, 0x42});
    r.Put(kHkeyCurrentUser, L"Software\\Tamber4", L"Blob", reg::Binary, {0x00, 0xFF});
    r.Put(kHkeyCurrentUser, L"Software\\Tamber4", L"Big", reg::Qword,
          {1, 2, 3, 4, 5, 6, 7, 0x80});
    r.Put(kHkeyCurrentUser, L"Software\\Tamber4", L"Custom", 0x1234, {9});
    r.MakeKey(kHkeyCurrentUser, L"Software\\Empty Key");
    r.SetReadOnly(kHkeyCurrentUser, L"Software\\Locked", true);
    m->PutFile(L"C:\\Users\\User\\a.txt", "content");
    m->PutProgram(L"C:\\Program Files\\T\\a.exe", {3010, 1500});
    std::string error;
    ASSERT_TRUE(m->Save(Path(""), &error)) << error;
  }
  auto m = Load();
  platform::OsVersion v;
  m->system().VersionEx(&v);
  EXPECT_EQ(v.servicePackMajor, 3);
  EXPECT_EQ(m->system().UserDefaultUiLanguage(), 0x0C0A);
  EXPECT_EQ(m->system().UserDefaultLangId(), 0x041D);
  EXPECT_FALSE(m->IsAdministrator());
  EXPECT_EQ(m->process().ExePath(), L"D:\\Setup Disc\\Tamber4Setup.exe");
  EXPECT_TRUE(std::filesystem::is_directory(Path("drive_d/Setup Disc")));
  EXPECT_EQ(m->shell().Folders().at(platform::csidl::Personal),
            L"C:\\Documents and Settings\\User\\My Documents");
  EXPECT_FALSE(m->shell().HasFolderPathFunction());
  std::wstring web;
  m->resources().LoadStringResource(131, &web);
  EXPECT_EQ(web, L"https://example.test/a^b.crvdat");
  EXPECT_EQ(m->system().Variable(L"tamber_home"), L"C:\\t=x");
  EXPECT_EQ(m->ui().QueuedAnswers(), (std::deque<int>{platform::mb::IdYes, 0}));
  EXPECT_FALSE(m->process().WorkingSetSetting().has_value());
  EXPECT_EQ(m->FileBytes(L"C:\\Users\\User\\a.txt"), "content");
  ASSERT_EQ(m->Programs().count(L"C:\\Program Files\\T\\a.exe"), 1u);
  EXPECT_EQ(m->Programs().at(L"C:\\Program Files\\T\\a.exe").exitCode, 3010u);
  EXPECT_EQ(m->Programs().at(L"C:\\Program Files\\T\\a.exe").runMilliseconds, 1500u);

  const SimRegistry& r = m->registry();
  EXPECT_EQ(r.GetDword(kHkeyCurrentUser, L"Software\\Tamber4\\Logging", L"Enabled"), 0xFFFFFFFFu);
  EXPECT_EQ(r.GetString(kHkeyCurrentUser, L"Software\\Tamber4", L""),
            L"tab\there, caf\u00e9 ^ \xD83D\xDE00");
  EXPECT_EQ(r.Get(kHkeyCurrentUser, L"Software\\Tamber4", L"Odd")->data,
            (std::vector<std::uint8_t>{0x41, 0x00, 0x42}));
  EXPECT_EQ(r.Get(kHkeyCurrentUser, L"Software\\Tamber4", L"Multi")->data,
            platform::sim::StringBytes(std::wstring(L"a\0b\0", 4)));
  EXPECT_EQ(r.Get(kHkeyCurrentUser, L"Software\\Tamber4", L"Big")->data,
            (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 0x80}));
  EXPECT_EQ(r.Get(kHkeyCurrentUser, L"Software\\Tamber4", L"Custom")->type, 0x1234u);
  EXPECT_EQ(r.Get(kHkeyCurrentUser, L"Software\\Tamber4", L"Path")->type, reg::ExpandSz);
  EXPECT_TRUE(r.KeyExists(kHkeyCurrentUser, L"Software\\Empty Key"));
  EXPECT_TRUE(r.FindKey(kHkeyCurrentUser, L"Software\\Locked")->readOnly);
  // Saving what was loaded gives the same text.
  std::string error;
  const std::string before = ReadHostFile(Path("registry.txt"));
  ASSERT_TRUE(m->Save(Path(""), &error));
  EXPECT_EQ(ReadHostFile(Path("registry.txt")), before);
}

TEST_F(SimMachineFolderTest, HandWrittenFilesAreReadAndBadLinesNamed) {
  std::filesystem::create_directories(Path(""));
  WriteHostFile(Path("registry.txt"),
                "# comment\n"
                "HKCU\\Software\\Tamber4\\Logging\tEnabled\tREG_DWORD\t0x1\r\n"
                "HKLM\\Software\\Bare\n");
  WriteHostFile(Path("machine.txt"), "windows = vista\n  ui-language=0x0C0A  \nbox-answer = no\n"
                                     "utc-time = 2030-12-31T23:59:59Z\n");
  auto m = Load();
  EXPECT_EQ(m->registry().GetDword(kHkeyCurrentUser, L"Software\\Tamber4\\Logging", L"Enabled"), 1u);
  EXPECT_TRUE(m->registry().KeyExists(kHkeyLocalMachine, L"software\\bare"));
  // registry.txt replaces the default keys.
  EXPECT_FALSE(m->registry().KeyExists(kHkeyLocalMachine, L"Software\\Microsoft"));
  EXPECT_EQ(m->system().UserDefaultUiLanguage(), 0x0C0A);
  EXPECT_EQ(m->system().CurrentVersion().major, 6u);
  EXPECT_EQ(m->ui().QueuedAnswers().front(), platform::mb::IdNo);
  EXPECT_FALSE(m->UsesHostClock());
  EXPECT_EQ(m->clock().UtcNow().year, 2030);

  // A bad line names the file, the line, the key and what it takes.
  const std::pair<const char*, const char*> badLines[] = {
      {"windows = 10\nwindows = 95\n",
       "machine.txt line 2: the value '95' of 'windows' is not xp-sp2, xp-sp3, vista, 7 or 10"},
      {"windws = 10\n",
       "machine.txt line 1: unknown key 'windws' (did you mean 'windows'?); 'tamber4sim keys' "
       "lists every key"},
      {"\nwindows\n", "machine.txt line 2: 'windows' is not \"key = value\""},
      {"program = C:\\a.exe|x\n",
       "machine.txt line 1: the value 'C:\\a.exe|x' of 'program' is not PATH|exit code|run "
       "milliseconds"},
  };
  std::string error;
  for (const auto& [text, expected] : badLines) {
    WriteHostFile(Path("machine.txt"), text);
    EXPECT_FALSE(SimMachine::Load(Path(""), &error));
    EXPECT_EQ(error, expected);
  }
  WriteHostFile(Path("machine.txt"), "");
  WriteHostFile(Path("registry.txt"), "HKCU\\X\tv\tREG_DWORD\tlots\n");
  EXPECT_FALSE(SimMachine::Load(Path(""), &error));
  EXPECT_EQ(error, "registry.txt line 1: bad number 'lots'");
}

TEST_F(SimMachineFolderTest, ServicesWindowsUpdateAndRunningProgramsAreRead) {
  std::filesystem::create_directories(Path(""));
  WriteHostFile(Path("machine.txt"), "service = Spooler|4\nservice = BITS|2\nwindows-update = no\n"
                                     "running-process = C:\\Tools\\app.exe|forever|ignores-termination\n"
                                     "running-process = C:\\Tools\\app.exe|1500\n");
  {
    auto m = Load();
    EXPECT_EQ(m->services().Service(L"spooler")->startType, 4u);
    EXPECT_EQ(m->services().Service(L"BITS")->startType, 2u);
    EXPECT_EQ(m->services().Service(L"wuauserv")->startType, 3u);  // a default one stays
    EXPECT_LT(m->windowsUpdate().state().creationResult, 0);
    const std::uint32_t first = 0x2004, second = 0x2008;
    EXPECT_TRUE(m->processes().IsRunning(first));
    EXPECT_TRUE(m->processes().IsRunning(second));
    m->clock().Advance(1500);
    EXPECT_TRUE(m->processes().IsRunning(first));
    EXPECT_FALSE(m->processes().IsRunning(second));
    std::string error;
    ASSERT_TRUE(m->Save(Path(""), &error)) << error;
  }
  const std::string saved = ReadHostFile(Path("machine.txt"));
  for (const char* line : {"service = Spooler|4\n", "service = wuauserv|3\n", "service = BITS|2\n", "windows-update = no\n"})
    EXPECT_NE(saved.find(line), std::string::npos) << line;
  EXPECT_EQ(saved.find("running-process"), std::string::npos);

  std::string error;
  for (const char* bad : {"service = Spooler|9", "service = |3", "windows-update = maybe",
                          "running-process = C:\\a.exe|soon", "running-process = C:\\a.exe|1|stubborn"}) {
    WriteHostFile(Path("machine.txt"), std::string(bad) + "\n");
    EXPECT_FALSE(SimMachine::Load(Path(""), &error)) << bad;
    // The error names the line, the key and what the key takes.
    const std::string text = bad;
    const std::string key = text.substr(0, text.find(" = "));
    EXPECT_EQ(error.rfind("machine.txt line 1: the value '" + text.substr(key.size() + 3) + "' of '" +
                              key + "' is not ",
                          0),
              0u)
        << error;
  }
}

TEST(SimRegistryText, FieldEscapesRoundTrip) {
  const std::wstring text = std::wstring(L"a^b\tc\r\nd") + L'\0' + L'\x01' + L'\xD800' + L"\u00e9";
  const std::string escaped = platform::sim::EscapeField(text);
  EXPECT_EQ(escaped, "a^^b^tc^r^nd^0^u0001^uD800\xc3\xa9");
  std::wstring back;
  ASSERT_TRUE(platform::sim::UnescapeField(escaped, &back));
  EXPECT_EQ(back, text);
  EXPECT_FALSE(platform::sim::UnescapeField("bad^", &back));
  EXPECT_FALSE(platform::sim::UnescapeField("bad^x", &back));
  EXPECT_FALSE(platform::sim::UnescapeField("^u12", &back));
}

}  // namespace

// A description's registry.reg is imported over the default machine's registry; a saved
// machine keeps its registry.txt (read back whole, registry.reg then ignored) and an export.
TEST_F(SimMachineFolderTest, ADescriptionsRegFileIsImportedOverTheDefaults) {
  std::filesystem::create_directories(Path(""));
  WriteHostFile(Path("registry.reg"),
                "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n"
                "\"Stage\"=dword:00000001\r\n");
  {
    auto m = Load();
    EXPECT_EQ(m->registry().GetDword(kHkeyCurrentUser, L"Software\\T", L"Stage"), 1u);
    EXPECT_TRUE(m->registry().KeyExists(kHkeyLocalMachine, L"Software\\Microsoft"));
    m->registry().PutDword(kHkeyCurrentUser, L"Software\\T", L"Stage", 2);
    std::string error;
    ASSERT_TRUE(m->Save(Path(""), &error)) << error;
  }
  EXPECT_EQ(Load()->registry().GetDword(kHkeyCurrentUser, L"Software\\T", L"Stage"), 2u);
  EXPECT_NE(ReadHostFile(Path("registry-after.reg")).size(), 0u);
  std::filesystem::remove(Path("registry.txt"));
  WriteHostFile(Path("registry.reg"), "REGEDIT4\n[HKEY_CURRENT_USER\\T]\n\"V\"=dword:zz\n");
  std::string error;
  EXPECT_FALSE(SimMachine::Load(Path(""), &error));
  EXPECT_EQ(error, "registry.reg line 3: the data is not \"text\", dword:XXXXXXXX, hex:.., hex(N):.. or -");
}
