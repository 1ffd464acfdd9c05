#include "resources/MessageTable.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <utility>

namespace {

constexpr std::uint16_t kEnglish = 9;
constexpr std::uint16_t kSpanish = 10;
constexpr std::uint16_t kSwedish = 29;

using TableMap = std::map<std::pair<std::uint32_t, std::uint16_t>, std::wstring>;

// The generated table keyed by (id, primary language); a duplicate key fails the test.
TableMap LoadTable() {
  std::size_t count = 0;
  const resources::MessageTableEntry* entries = resources::MessageTable(&count);
  TableMap table;
  for (std::size_t i = 0; i < count; ++i) {
    bool inserted = table.emplace(std::make_pair(entries[i].id, entries[i].primaryLanguage),
                                  entries[i].text).second;
    EXPECT_TRUE(inserted) << "duplicate entry " << entries[i].id << " in language "
                          << entries[i].primaryLanguage;
  }
  return table;
}

std::optional<std::wstring> Find(const TableMap& table, std::uint32_t id,
                                 std::uint16_t language) {
  auto it = table.find({id, language});
  if (it == table.end()) return std::nullopt;
  return it->second;
}

TEST(MessageTable, HoldsEveryIdentifierInEveryLanguageAndNothingElse) {
  TableMap table = LoadTable();
  for (std::uint16_t language : {kEnglish, kSpanish, kSwedish}) {
    for (std::uint32_t id = 215; id <= 241; ++id) {
      EXPECT_EQ(Find(table, id, language).has_value(), id != 216)
          << "message " << id << " in language " << language;
    }
  }
  EXPECT_EQ(table.size(), 26u * 3u);
}

TEST(MessageTable, KeepsTheFileOrder) {
  std::size_t count = 0;
  const resources::MessageTableEntry* entries = resources::MessageTable(&count);
  ASSERT_GT(count, 0u);
  for (std::size_t i = 1; i < count; ++i) {
    EXPECT_LE(entries[i - 1].id, entries[i].id) << "at entry " << i;
  }
  EXPECT_EQ(entries[0].primaryLanguage, kEnglish);
  EXPECT_EQ(entries[1].primaryLanguage, kSpanish);
  EXPECT_EQ(entries[2].primaryLanguage, kSwedish);
}

TEST(MessageTable, StoresTextsWithTheirEscapes) {
  TableMap table = LoadTable();
  EXPECT_EQ(Find(table, 215, kEnglish), L"Tamber 4 Setup%0\r\n");
  EXPECT_EQ(Find(table, 215, kSpanish), L"Instalaci\u00F3n de Tamber 4%0\r\n");
  EXPECT_EQ(Find(table, 219, kEnglish), L"Downloading %%FILENAME%%...%0\r\n");
  EXPECT_EQ(Find(table, 220, kSpanish), L"%%BYTES-TRANSFERRED%% de %%BYTES-TOTAL%% MB%0\r\n");
  EXPECT_EQ(Find(table, 235, kEnglish),
            L"The installer file for \"%%NAME%%\" was corrupted during the download. "
            L"Please run Setup again.%0\r\n");
  for (const auto& [key, text] : table) {
    EXPECT_GE(text.size(), 4u);
    EXPECT_EQ(text.substr(text.size() - 4), L"%0\r\n")
        << "message " << key.first << " in language " << key.second;
  }
}

TEST(MessageTable, CarriesNonAsciiCharactersAsSingleCodeUnits) {
  TableMap table = LoadTable();
  EXPECT_EQ(Find(table, 226, kEnglish),
            L"The selected user does not have sufficient privileges to complete the setup. "
            L"Please choose Administrator from the Run As\u2026 dialog.%0\r\n");
  EXPECT_EQ(Find(table, 235, kSpanish),
            L"El archivo de instalaci\u00F3n \u201C%%NAME%%\u201D se corrompi\u00F3 durante la "
            L"descarga. Por favor comience la instalaci\u00F3n nuevamente.%0\r\n");
  EXPECT_EQ(Find(table, 226, kSpanish),
            L"El usuario seleccionado no tiene los permisos necesarios para completar la "
            L"instalaci\u00F3n. Por favor elija la opci\u00F3n de Administrador desde el cuadro "
            L"de di\u00E1logo \u2018Ejecutar de\u2026\u2019.%0\r\n");
}

TEST(MessageTable, SwedishTranslatesOnlyTheRestartQuestion) {
  TableMap table = LoadTable();
  EXPECT_EQ(Find(table, 217, kSwedish),
            L"Uppdateringen \u00E4r klar. Du m\u00E5ste starta om din dator f\u00F6r att "
            L"f\u00F6r\u00E4ndringarna ska fungera. Vill du starta om datorn nu ?%0\r\n");
  for (std::uint32_t id = 215; id <= 241; ++id) {
    if (id == 216 || id == 217) continue;
    EXPECT_EQ(Find(table, id, kSwedish), Find(table, id, kEnglish)) << "message " << id;
  }
}

TEST(MessageTable, SpanishTranslatesAllButTheDirectXFailure) {
  TableMap table = LoadTable();
  EXPECT_EQ(Find(table, 241, kSpanish),
            L"The installation of DirectX components did not succeed.%0\r\n");
  EXPECT_EQ(Find(table, 241, kSpanish), Find(table, 241, kEnglish));
  for (std::uint32_t id = 215; id <= 240; ++id) {
    // The product name reads the same in both languages.
    if (id == 216 || id == 236) continue;
    EXPECT_NE(Find(table, id, kSpanish), Find(table, id, kEnglish)) << "message " << id;
  }
}

TEST(MessageTable, NamesTheSameSupportAddressInBothLanguages) {
  TableMap table = LoadTable();
  const std::wstring english = *Find(table, 225, kEnglish);
  const std::wstring spanish = *Find(table, 225, kSpanish);
  const std::wstring prefix = L"Tamber requires at least Windows XP Service Pack 3. Please see ";
  const std::wstring suffix = L" for information on installing this service pack.%0\r\n";
  ASSERT_EQ(english.compare(0, prefix.size(), prefix), 0);
  ASSERT_GT(english.size(), prefix.size() + suffix.size());
  ASSERT_EQ(english.substr(english.size() - suffix.size()), suffix);
  const std::wstring address =
      english.substr(prefix.size(), english.size() - prefix.size() - suffix.size());
  EXPECT_EQ(address.rfind(L"https://", 0), 0u);
  EXPECT_EQ(spanish,
            L"Tamber necesita tener por lo menos Windows XP Service Pack 3. Por favor vaya a " +
                address + L" para informaci\u00F3n en c\u00F3mo instalar este paquete.%0\r\n");
}

}  // namespace
