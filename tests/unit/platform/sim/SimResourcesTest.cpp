// FormatMessageW's rules for the message table, and the executable's other resources.
#include <gtest/gtest.h>

#include "platform/CurrentProcess.h"
#include "platform/Resources.h"
#include "platform/sim/SimResources.h"
#include "platform/sim/SimTestSupport.h"

namespace {

std::wstring Render(const wchar_t* stored) {
  std::wstring text = L"<failed>";
  platform::sim::RenderStoredMessage(stored, &text);
  return text;
}

TEST(SimMessageFormat, EscapesAndTheEndMarker) {
  EXPECT_EQ(Render(L"Tamber 4 Setup%0\r\n"), L"Tamber 4 Setup");
  EXPECT_EQ(Render(L"Downloading %%FILENAME%%...%0"), L"Downloading %FILENAME%...");
  EXPECT_EQ(Render(L"a%nb%tc%rd%be"), L"a\r\nb\tc\rd e");
  EXPECT_EQ(Render(L"Stop%. Now%!%0 ignored %1"), L"Stop. Now!");
  EXPECT_EQ(Render(L"line one\r\nline two\r\n"), L"line one\r\nline two\r\n");
  EXPECT_EQ(Render(L"100%"), L"100%");
  EXPECT_EQ(Render(L"an insert %1 cannot be filled"), L"<failed>");
}

class SimResourcesTest : public platform::sim::SimMachineTest {
 protected:
  SimResourcesTest() {
    sim().resources().SetMessageTable({
        {215, 9, L"Tamber 4 Setup%0\r\n"},
        {215, 10, L"Instalaci\u00f3n de Tamber 4%0\r\n"},
        {217, 29, L"Vill du starta om datorn nu ?%0\r\n"},
        {218, 9, L"Insert %1 here%0"},
    });
  }
  bool Format(std::uint32_t id, platform::LangId language, std::wstring* text) {
    return platform::resources().FormatModuleMessage(0, id, language, text);
  }
};

TEST_F(SimResourcesTest, AFullLanguageFindsTheBlockOfItsPrimaryLanguage) {
  std::wstring text;
  ASSERT_TRUE(Format(215, 0x0C0A, &text));
  EXPECT_EQ(text, L"Instalaci\u00f3n de Tamber 4");
  ASSERT_TRUE(Format(215, 0x080A, &text));
  EXPECT_EQ(text, L"Instalaci\u00f3n de Tamber 4");
  ASSERT_TRUE(Format(215, 9, &text));
  EXPECT_EQ(text, L"Tamber 4 Setup");
  ASSERT_TRUE(Format(217, 0x041D, &text));
  EXPECT_EQ(text, L"Vill du starta om datorn nu ?");
  EXPECT_TRUE(platform::resources().FormatModuleMessage(
      platform::process().ExecutableModule(), 215, 0x0409, &text));
}

TEST_F(SimResourcesTest, MissingEntriesSayWhyInTheLastError) {
  std::wstring text = L"unchanged";
  EXPECT_FALSE(Format(217, 0x0409, &text));  // the id exists, not in English
  EXPECT_EQ(platform::process().LastError(), 1815u);
  EXPECT_FALSE(Format(216, 0x0409, &text));  // no such id at all
  EXPECT_EQ(platform::process().LastError(), 317u);
  EXPECT_FALSE(Format(0, 0x0C0A, &text));
  EXPECT_FALSE(Format(218, 0x0409, &text));
  EXPECT_EQ(platform::process().LastError(), platform::err::InvalidParameter);
  EXPECT_EQ(text, L"unchanged");

  // Language 0 takes the user's UI language first, then English.
  sim().SetLanguage(0x0C0A);
  ASSERT_TRUE(Format(215, 0, &text));
  EXPECT_EQ(text, L"Instalaci\u00f3n de Tamber 4");
  sim().SetLanguage(0x0407);
  ASSERT_TRUE(Format(215, 0, &text));
  EXPECT_EQ(text, L"Tamber 4 Setup");
}

TEST_F(SimResourcesTest, StringTableAndFileVersion) {
  std::wstring text;
  ASSERT_TRUE(platform::resources().LoadStringResource(131, &text));
  EXPECT_EQ(text.rfind(L"https://", 0), 0u);
  sim().resources().SetString(131, L"");
  EXPECT_FALSE(platform::resources().LoadStringResource(131, &text));

  std::uint16_t parts[4] = {};
  ASSERT_TRUE(platform::resources().FileVersion(parts));
  EXPECT_EQ(parts[0], 4);
  sim().resources().SetFileVersion(4, 1, 22, 333);
  platform::resources().FileVersion(parts);
  EXPECT_EQ(parts[3], 333);
}

}  // namespace
