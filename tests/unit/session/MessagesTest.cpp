// Message lookups and the message box.
#include "setup/session/Messages.h"

#include "tests/unit/support/SetupTestSupport.h"

namespace setup {
namespace {

const std::wstring kEnglish217 =
    L"Setup is complete. You must restart your computer for the changes to take effect. Restart now?";

class MessagesTest : public setuptest::SetupTest {};

TEST_F(MessagesTest, AScriptsEnglishWordingOverridesADifferentEnglishEntry) {
  processState().messageLanguage = 3082;
  EXPECT_EQ(LookupMessage(L"217", kEnglish217).substr(0, 22), L"Instalación completa. ");
  processState().messageLanguage = 1033;
  EXPECT_EQ(LookupMessage(L"217", kEnglish217), kEnglish217);
  EXPECT_EQ(LookupMessage(L"217", L"Restart?"), L"Restart?");
  EXPECT_EQ(LookupMessage(L"", L"Plain"), L"Plain");
  EXPECT_EQ(LookupMessage(L"x", L"Plain"), L"Plain");
  EXPECT_TRUE(Logged("Warning\tLookupMessage\tEnglish string from script 'Restart?' does not match "
                     "English string from messages '" + text::WideToUtf8(kEnglish217) +
                     "', using script string."));
  EXPECT_TRUE(Logged("Info\tLookupMessage\tMessage ID not specified, using script's string value of 'Plain'."));
  EXPECT_TRUE(Logged("Warning\tLookupMessage\tCould not find localized string with Message ID 'x' in "
                     "the message table, using script's string value of 'Plain'."));
}

TEST_F(MessagesTest, TheMessageIdIsReadFromItsLeadingDigits) {
  processState().messageLanguage = 3082;
  EXPECT_EQ(LookupMessage(L"227 (up to date)", L"x"), L"Tamber 4 ya está actualizado.");
  EXPECT_EQ(LookupMessage(L"-227", L"x"), L"x");
  EXPECT_EQ(LookupMessage(L"99999999999", L"x"), L"x");
  // For Spanish users the table wins even over an empty wording; for English users the
  // script's wording wins even when it is empty.
  EXPECT_EQ(LookupMessage(L"227", L""), L"Tamber 4 ya está actualizado.");
  processState().messageLanguage = 1033;
  EXPECT_EQ(LookupMessage(L"227", L""), L"");
  EXPECT_EQ(CountLogged("Warning\tLookupMessage\tEnglish string from script '' does not match"), 1u);
}

TEST_F(MessagesTest, AMessageNoLanguageHasFallsBackToTheScriptsWording) {
  processState().messageLanguage = 3082;
  EXPECT_EQ(LocalizedStringFromResources(216), L"");
  EXPECT_EQ(LookupMessage(L"216", L"Own text"), L"Own text");
  EXPECT_EQ(CountLogged("Error\tLocalizedStringFromResources\tFailed to retrieve string with "
                        "Message ID '216' from exe's resources in system language 0xc0a, "
                        "defaulting to en (0x09)."),
            2u);
  EXPECT_TRUE(Logged("Warning\tLookupMessage\tCould not find localized string with Message ID "
                     "'216' in the message table, using script's string value of 'Own text'."));
}

TEST_F(MessagesTest, AMessageMissingInTheMessageLanguageFallsBackToEnglish) {
  processState().messageLanguage = 0x0407;
  EXPECT_EQ(LocalizedStringFromResources(227), L"Tamber 4 is up-to-date.");
  EXPECT_TRUE(Logged("Error\tLocalizedStringFromResources\tFailed to retrieve string with Message ID "
                     "'227' from exe's resources in system language 0x407, defaulting to en (0x09)."));
  EXPECT_EQ(CountLogged("Error\tError\tError message: "), 1u);
}

TEST_F(MessagesTest, TheIconKindDecidesIconAndForeground) {
  namespace mb = platform::mb;
  const struct {
    const wchar_t* kind;
    std::uint32_t style;
    const char* word;
  } cases[] = {{L"none", 0, "no"},
               {L"info", mb::IconInformation, "an information"},
               {L"warning", mb::IconWarning, "a warning"},
               {L"error", mb::IconError, "an error"},
               {L"Error", mb::UserIcon | mb::SetForeground, "a Tamber"},
               {L"", mb::UserIcon | mb::SetForeground, "a Tamber"}};
  for (const auto& c : cases) {
    sim().QueueAnswer(mb::IdOk);
    EXPECT_EQ(TamberMessageBox(L"T", L"M", c.kind, mb::UserIcon), mb::IdOk);
    EXPECT_EQ(sim().Boxes().back().request.style, c.style) << text::WideToUtf8(c.kind);
    EXPECT_EQ(sim().Boxes().back().request.iconResource, kProductIconResource);
    EXPECT_TRUE(Logged(std::string("Info\tTamberMessageBox\tDisplaying message box with title 'T', "
                                   "message 'M' and ") + c.word + " icon."));
  }
  EXPECT_EQ(CountLogged("Warning\tTamberMessageBox\tUnrecognized icon type 'Error'."), 1u);
  EXPECT_EQ(CountLogged("Warning"), 1u);
}

}  // namespace
}  // namespace setup
