#include "setup/engine/CommandParameters.h"

#include <cwchar>

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

namespace {

using setup::CommandParameters;
using setup::EscapeField;
using setup::UnescapeField;
using Entries = std::map<std::wstring, std::wstring>;

CommandParameters Parsed(const std::wstring& line) {
  CommandParameters record;
  record.Parse(line);
  return record;
}

TEST(CommandParameters, ParsesCommandAndParameters) {
  CommandParameters r = Parsed(L"download|uri=files/a.msi|name=Package A|file-path=%LocalAppDataFolder%\\a.msi");
  EXPECT_EQ(r.CommandName(), L"download");
  EXPECT_EQ(r.entries(), (Entries{{L"", L"download"},
                                  {L"uri", L"files/a.msi"},
                                  {L"name", L"Package A"},
                                  {L"file-path", L"%LocalAppDataFolder%\\a.msi"}}));
}

TEST(CommandParameters, SegmentsAndLaterValuesWin) {
  EXPECT_EQ(Parsed(L"download|uri=a=b").GetParameter(L"uri"), L"a=b");
  EXPECT_EQ(Parsed(L"download|").entries(), (Entries{{L"", L""}}));
  EXPECT_EQ(Parsed(L"|download").CommandName(), L"download");
  EXPECT_EQ(Parsed(L"x|y").CommandName(), L"y");
  EXPECT_EQ(Parsed(L"a|uri=1|uri=2").GetParameter(L"uri"), L"2");
  EXPECT_EQ(Parsed(L"uri=a").entries(), (Entries{{L"uri", L"a"}}));
  EXPECT_EQ(Parsed(L"=value").entries(), (Entries{{L"", L"value"}}));
  EXPECT_EQ(Parsed(L"a||b=").entries(), (Entries{{L"", L""}, {L"b", L""}}));
  EXPECT_TRUE(Parsed(L"").entries().empty());
  // Nothing is trimmed: a line of spaces is a command named by spaces.
  EXPECT_EQ(Parsed(L"  ").CommandName(), L"  ");
  EXPECT_EQ(Parsed(L"run | a = b").entries(), (Entries{{L"", L"run "}, {L" a ", L" b"}}));
}

TEST(CommandParameters, ParseReplacesEarlierContent) {
  CommandParameters r = Parsed(L"one|a=1");
  r.Parse(L"two|b=2");
  EXPECT_EQ(r.entries(), (Entries{{L"", L"two"}, {L"b", L"2"}}));
  r.Parse(L"");
  EXPECT_TRUE(r.entries().empty());
}

TEST(CommandParameters, SerializesSortedByCodeUnit) {
  EXPECT_EQ(Parsed(L"download|uri=a.msi|result=success").Serialize(),
            L"download|result=success|uri=a.msi");
  EXPECT_EQ(Parsed(L"x|b=1|a-b=2|ab=3|B=4").Serialize(), L"x|B=4|a-b=2|ab=3|b=1");
  EXPECT_EQ(Parsed(L"uri=x|result=failure").Serialize(), L"result=failure|uri=x");
  EXPECT_EQ(Parsed(L"save|flag=").Serialize(), L"save|flag=");
  EXPECT_EQ(Parsed(L"download|uri=a=b").Serialize(), L"download|uri=a%3Db");
  EXPECT_EQ(Parsed(L"|result=x").Serialize(), L"|result=x");
}

TEST(CommandParameters, PercentFormsInValues) {
  CommandParameters r = Parsed(L"msg|text=50%|folder=%InstallDirectory%\\bin|blank=a%20b");
  EXPECT_EQ(r.GetParameter(L"text"), L"50%");
  EXPECT_EQ(r.GetParameter(L"folder"), L"%InstallDirectory%\\bin");
  EXPECT_EQ(r.GetParameter(L"blank"), L"a b");
  EXPECT_EQ(r.Serialize(), L"msg|blank=a b|folder=%25InstallDirectory%25\\bin|text=50%25");
  EXPECT_EQ(Parsed(r.Serialize()).entries(), r.entries());
  EXPECT_EQ(Parsed(L"u|uri=a%2520b").GetParameter(L"uri"), L"a%20b");
}

TEST(CommandParameters, LineBreaksAndTabsStayOnOneLine) {
  CommandParameters r;
  r.SetParameter(L"", L"alert");
  r.SetParameter(L"text", L"one\r\ntwo\tthree");
  r.SetParameter(L"a|b", L"c=d");
  EXPECT_EQ(r.Serialize(), L"alert|a%7Cb=c%3Dd|text=one%0D%0Atwo%09three");
  EXPECT_EQ(Parsed(r.Serialize()).entries(), r.entries());
}

TEST(CommandParameters, GetSetRemove) {
  CommandParameters r = Parsed(L"abort|Result=success");
  EXPECT_EQ(r.GetParameter(L"result"), L"");  // names differ by case
  EXPECT_FALSE(r.HasParameter(L"result"));
  EXPECT_EQ(r.Serialize(), L"abort|Result=success");  // lookup added nothing
  EXPECT_FALSE(r.RemoveParameter(L"result"));
  EXPECT_EQ(r.Serialize(), L"abort|Result=success");
  r.SetParameter(L"result", L"failure");
  r.SetParameter(L"result", L"success");
  EXPECT_EQ(r.Serialize(), L"abort|Result=success|result=success");
  EXPECT_TRUE(r.RemoveParameter(L"Result"));
  EXPECT_FALSE(r.RemoveParameter(L"Result"));
  EXPECT_EQ(r.Serialize(), L"abort|result=success");
}

// The result is held apart from the other entries; through every way in and out it must
// read as an ordinary entry in its sorted place.
TEST(CommandParameters, ResultReadsAsAnyOtherEntry) {
  struct Case {
    const wchar_t* line;
    const wchar_t* serialized;
    const wchar_t* result;
    bool ran;
  };
  const Case cases[] = {
      {L"run|a=1|z=2|result=success", L"run|a=1|result=success|z=2", L"success", true},
      {L"run|result=failure", L"run|result=failure", L"failure", true},
      {L"run|reboot=yes|result=repeat", L"run|reboot=yes|result=repeat", L"repeat", false},
      {L"result=maybe|uri=x", L"result=maybe|uri=x", L"maybe", false},
      {L"run|result=Success", L"run|result=Success", L"Success", false},
      {L"run|result=a%7Cb", L"run|result=a%7Cb", L"a|b", false},
      {L"run|result=success|result=repeat", L"run|result=repeat", L"repeat", false},
      {L"run|result=", L"run|result=", L"", false},
      {L"run|resul=1|results=2", L"run|resul=1|results=2", L"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.line, c.line + wcslen(c.line)));
    const CommandParameters r = Parsed(c.line);
    EXPECT_EQ(r.Serialize(), c.serialized);
    EXPECT_EQ(r.Result(), c.result);
    EXPECT_EQ(r.GetParameter(L"result"), c.result);
    EXPECT_EQ(r.AlreadyRan(), c.ran);
    EXPECT_EQ(r.entries().count(L"result"), std::wstring(c.serialized).find(L"result=") != std::wstring::npos ? 1u : 0u);
    EXPECT_EQ(Parsed(r.Serialize()).entries(), r.entries());
  }
  CommandParameters r = Parsed(L"run|uri=x");
  r.SetResult(setup::LineResult::Failure);
  EXPECT_TRUE(r.HasParameter(L"result"));
  EXPECT_EQ(r.Serialize(), L"run|result=failure|uri=x");
  r.SetParameter(L"result", L"later");
  EXPECT_FALSE(r.ResultIs(setup::LineResult::Failure));
  CommandParameters copy = r;
  EXPECT_EQ(copy.Serialize(), L"run|result=later|uri=x");
  EXPECT_TRUE(r.RemoveParameter(L"result"));
  EXPECT_FALSE(r.HasParameter(L"result"));
  EXPECT_EQ(r.Serialize(), L"run|uri=x");
  r.Parse(L"other|result=success");
  r.Parse(L"other");
  EXPECT_EQ(r.Serialize(), L"other");  // a new parse forgets the result too
}

TEST(CommandParameters, EscapeWritesOnlyReservedCharacters) {
  std::wstring all;
  for (wchar_t c = 0; c < 0x80; ++c) all.push_back(c);
  std::wstring escaped = EscapeField(all);
  EXPECT_EQ(escaped.substr(0, 12), L"%00%01%02%03");
  EXPECT_EQ(escaped.substr(90, 6), L"%1E%1F");
  EXPECT_NE(escaped.find(L"$%25&"), std::wstring::npos);
  EXPECT_NE(escaped.find(L"<%3D>"), std::wstring::npos);
  EXPECT_NE(escaped.find(L"{%7C}~\x7F"), std::wstring::npos);
  EXPECT_EQ(EscapeField(L"\u00E9\u20AC\xD83D\xDE00\xDC00"), L"\u00E9\u20AC\xD83D\xDE00\xDC00");
  EXPECT_EQ(UnescapeField(escaped), all);
}

TEST(CommandParameters, UnescapeDecodesUtf8Escapes) {
  EXPECT_EQ(UnescapeField(L"%41%42"), L"AB");
  EXPECT_EQ(UnescapeField(L"%c3%a9"), L"\u00E9");
  EXPECT_EQ(UnescapeField(L"%E2%82%AC"), L"\u20AC");
  EXPECT_EQ(UnescapeField(L"%2541"), L"%41");
  EXPECT_EQ(UnescapeField(L"x%00y"), std::wstring(L"x\0y", 3));
  // Lead bytes are taken at their word, overlong forms and surrogates included.
  EXPECT_EQ(UnescapeField(L"%C0%80"), std::wstring(1, L'\0'));
  EXPECT_EQ(UnescapeField(L"%ED%A0%80"), L"\xD800");
}

TEST(CommandParameters, MalformedEscapesStayAsWritten) {
  const wchar_t* unchanged[] = {L"%C3",      L"%C3%41",  L"%ZZ",    L"%",     L"50%",
                                L"%4",       L"%4G",     L"%80",    L"%BF%80", L"%F0%9F%98%80",
                                L"%E2%82",   L"%E2%82%41", L"%E2%82x", L"%C3x",  L"%C3%A",
                                L"%C3%C3%A9"};
  for (const wchar_t* text : unchanged) EXPECT_EQ(UnescapeField(text), text) << text;
  // Scanning resumes at the first character that did not fit, so a '%' there starts anew.
  EXPECT_EQ(UnescapeField(L"%%41"), L"%A");
  EXPECT_EQ(UnescapeField(L"%C3%%41"), L"%C3%A");
  EXPECT_EQ(UnescapeField(L"%4%41"), L"%4A");
  EXPECT_EQ(UnescapeField(L"%80%41"), L"%80A");
}

// Random text over the characters that matter: every escapable one, plain ASCII, '%' with
// hex digits after it, non-ASCII, and surrogates paired and alone.
std::wstring RandomField(std::mt19937& random, std::size_t maxLength) {
  static const std::wstring alphabet =
      std::wstring(L"%=|\r\n\t\x01\x1F aZ09-_\\/.:Cc3A\u00E9\u20AC\xFFFF\x7F") + L'\0';
  std::uniform_int_distribution<std::size_t> length(0, maxLength);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() + 1);
  std::wstring field;
  for (std::size_t n = length(random); field.size() < n;) {
    std::size_t i = pick(random);
    if (i < alphabet.size()) field.push_back(alphabet[i]);
    else if (i == alphabet.size()) field.append(L"\xD83D\xDE00");
    else field.push_back(L'\xDC01');
  }
  return field;
}

TEST(CommandParameters, SerializeThenParseGivesTheSameRecord) {
  std::mt19937 random(4242);
  std::uniform_int_distribution<int> count(0, 6);
  for (int round = 0; round < 3000; ++round) {
    CommandParameters record;
    if (round % 3 != 0) record.SetParameter(L"", RandomField(random, 12));
    for (int i = count(random); i > 0; --i) {
      record.SetParameter(RandomField(random, 8) + L"n", RandomField(random, 16));
    }
    if (record.entries() == Entries{{L"", L""}}) continue;  // written as the empty line
    std::wstring line = record.Serialize();
    ASSERT_EQ(line.find_first_of(L"\r\n"), std::wstring::npos) << round;
    ASSERT_EQ(Parsed(line).entries(), record.entries()) << round;
    ASSERT_EQ(Parsed(line).Serialize(), line) << round;
  }
}

// Also for a record that parsed every line before: what those lines left in it (the room
// of their texts) never shows in the next.
TEST(CommandParameters, ParseThenSerializeIsStableForAnyLine) {
  std::mt19937 random(99);
  CommandParameters reused;
  for (int round = 0; round < 3000; ++round) {
    std::wstring line = RandomField(random, 40);
    std::wstring once = Parsed(line).Serialize();
    ASSERT_EQ(Parsed(once).Serialize(), once) << round;
    reused.Parse(line);
    ASSERT_EQ(reused.Serialize(), once) << round;
  }
}

TEST(CommandParameters, EscapeRoundTripsAnyField) {
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    std::wstring field = RandomField(random, 30);
    ASSERT_EQ(UnescapeField(EscapeField(field)), field) << round;
  }
}

}  // namespace
