// The registry in regedit's .reg format: what an author writes is imported as regedit would,
// and an export reads back into the same registry.
#include "platform/sim/SimRegFile.h"

#include <gtest/gtest.h>

#include "platform/sim/SimText.h"

namespace {

using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;
using platform::sim::SimRegistry;
namespace reg = platform::reg;

TEST(SimRegFile, AnExportReadsBackIntoTheSameRegistry) {
  SimRegistry r;
  r.Clear();
  r.PutString(kHkeyCurrentUser, L"Software\\Tamber4", L"", L"default \"quoted\" C:\\path");
  r.PutString(kHkeyCurrentUser, L"Software\\Tamber4", L"Name \"x\"\\y", L"caf\u00e9");
  r.PutString(kHkeyCurrentUser, L"Software\\Tamber4", L"Path", L"%TEMP%\\x", reg::ExpandSz);
  r.PutDword(kHkeyCurrentUser, L"Software\\Tamber4", L"Count", 0xFFFFFFFE);
  r.Put(kHkeyCurrentUser, L"Software\\Tamber4", L"Odd", reg::Sz, {0x41, 0x00, 0x42});
  r.Put(kHkeyCurrentUser, L"Software\\Tamber4", L"Multi", reg::MultiSz,
        platform::sim::StringBytes(std::wstring(L"a\0b\0", 4)));
  r.Put(kHkeyCurrentUser, L"Software\\Tamber4", L"Big", reg::Qword, {1, 2, 3, 4, 5, 6, 7, 0x80});
  r.Put(kHkeyCurrentUser, L"Software\\Tamber4", L"Empty", reg::Binary, {});
  r.Put(kHkeyLocalMachine, L"Software\\Custom", L"T", 0x1234, {9});
  r.MakeKey(kHkeyCurrentUser, L"Software\\Empty Key");

  SimRegistry back;
  back.Clear();
  std::string error;
  ASSERT_TRUE(platform::sim::ImportRegFile(platform::sim::ExportRegFile(r), &back, &error)) << error;
  std::vector<std::string> before, after;
  const auto list = [](const SimRegistry& registry, std::vector<std::string>* out) {
    registry.Visit([&](platform::RegKey root, const std::wstring& path, const SimRegistry::Key& key) {
      out->push_back(platform::sim::WideToUtf8(SimRegistry::RootName(root) + (L"\\" + path)));
      for (const auto& [upper, v] : key.values)
        out->push_back(platform::sim::WideToUtf8(v.name) + "=" + std::to_string(v.type) + ":" +
                       std::string(v.data.begin(), v.data.end()));
    });
  };
  list(r, &before);
  list(back, &after);
  EXPECT_EQ(after, before);
}

TEST(SimRegFile, ImportsAsRegeditDoesAndNamesTheBadLine) {
  struct Case {
    const char* what;
    std::string file;
    std::string error;  // empty: imported
  };
  const std::string header = "Windows Registry Editor Version 5.00\r\n\r\n";
  const Case cases[] = {
      {"values, a continued hex line, removals, comments",
       header + "; a comment\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n\"S\"=\"a\\\\b\"\r\n"
                "\"D\"=dword:0000000a\r\n\"B\"=hex:01,\\\r\n  02\r\n@=\"def\"\r\n"
                "[HKEY_CURRENT_USER\\Software\\Gone]\r\n[-HKEY_CURRENT_USER\\Software\\Gone]\r\n"
                "[HKEY_CURRENT_USER\\Software\\Old]\r\n\"V\"=-\r\n",
       ""},
      {"no header", "[HKEY_CURRENT_USER\\X]\r\n",
       "line 1: the file does not start with \"Windows Registry Editor Version 5.00\""},
      {"an unknown root", header + "[HKEY_NOWHERE\\X]\r\n",
       "line 3: not a key of HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT, "
       "HKEY_USERS or HKEY_CURRENT_CONFIG"},
      {"a value before any key", header + "\"V\"=\"x\"\r\n", "line 3: a value outside a [key]"},
      {"a bad dword", header + "[HKCU\\X]\r\n\"V\"=dword:xyz\r\n",
       "line 4: the data is not \"text\", dword:XXXXXXXX, hex:.., hex(N):.. or -"},
      {"no equals sign", header + "[HKCU\\X]\r\n\"V\" \"x\"\r\n",
       "line 4: '=' expected after the value's name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SimRegistry r;
    r.PutString(kHkeyCurrentUser, L"Software\\Old", L"V", L"x");
    std::string error;
    EXPECT_EQ(platform::sim::ImportRegFile(c.file, &r, &error), c.error.empty());
    EXPECT_EQ(error, c.error);
    if (!c.error.empty()) continue;
    EXPECT_EQ(r.GetString(kHkeyCurrentUser, L"Software\\T", L"S"), L"a\\b");
    EXPECT_EQ(r.GetString(kHkeyCurrentUser, L"Software\\T", L""), L"def");
    EXPECT_EQ(r.GetDword(kHkeyCurrentUser, L"Software\\T", L"D"), 10u);
    EXPECT_EQ(r.Get(kHkeyCurrentUser, L"Software\\T", L"B")->data, (std::vector<std::uint8_t>{1, 2}));
    EXPECT_FALSE(r.KeyExists(kHkeyCurrentUser, L"Software\\Gone"));
    EXPECT_FALSE(r.Get(kHkeyCurrentUser, L"Software\\Old", L"V").has_value());
  }
}

}  // namespace
