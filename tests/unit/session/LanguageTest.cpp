// The user interface language and the message language chosen from it.
#include "setup/session/Language.h"

#include "tests/unit/support/SetupTestSupport.h"

namespace setup {
namespace {

class LanguageTest : public setuptest::SetupTest {
 protected:
  void SetOverride(const std::wstring& value) {
    sim().registry().PutString(platform::kHkeyCurrentUser, L"Software\\Tamber4",
                                  L"UserInterfaceLanguage", value);
  }
};

TEST_F(LanguageTest, TheRegistryOverrideNamesEnglishOrSpanishExactly) {
  EXPECT_EQ(GetLanguageOverride(), 0);
  SetOverride(L"es");
  EXPECT_EQ(GetLanguageOverride(), 10);
  EXPECT_TRUE(Logged("Info\tGetLanguageOverride\tLanguage specified in 'Software\\Tamber4' key's "
                     "'UserInterfaceLanguage' string value is 'es', supported Language ID is '0x000a'."));
  SetOverride(L"ES");
  EXPECT_EQ(GetLanguageOverride(), 0);
  EXPECT_TRUE(Logged("Warning\tGetLanguageOverride\tLanguage specified in 'Software\\Tamber4' key's "
                     "'UserInterfaceLanguage' string value is 'ES' which is not supported by this "
                     "installation."));
}

TEST_F(LanguageTest, SublanguagesFallBackToTheirPrimaryLanguageThenToEnglish) {
  SetupState state;
  EXPECT_EQ(GetBestLanguageId(state, 0x080A), 3082);
  EXPECT_EQ(state.transformName, L"es-es.mst");
  EXPECT_EQ(GetBestLanguageId(state, 3082), 3082);
  EXPECT_EQ(GetBestLanguageId(state, 0x0407), 1033);
  EXPECT_EQ(state.bestLanguage, 1033);
  EXPECT_EQ(Log(), (std::vector<std::string>{
      "Info\tGetBestLanguageId\tNo exact match for the Language ID '0x080a', checking '0x000a'.",
      "Info\tGetBestLanguageId\tThe best-matching Language ID for the embedded transforms is "
      "'0x0c0a', the transform is 'es-es.mst'.",
      "Info\tGetBestLanguageId\tNo exact match for the Language ID '0x0407', checking '0x0007'.",
      "Info\tGetBestLanguageId\tNo exact match for the Language ID '0x0007', using '0x0409'."}));
}

}  // namespace
}  // namespace setup
