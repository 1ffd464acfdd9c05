#include "setup/session/Language.h"

#include "logging/Log.h"
#include "platform/RegistryKey.h"

namespace setup {
namespace {

namespace lang = platform::lang;

constexpr char kLogSource[] = "Tamber4Setup";
constexpr std::uint32_t kMaxOverrideChars = 255;

}  // namespace

platform::LangId GetLanguageOverride() {
  platform::ScopedRegKey key;
  if (key.Open(platform::kHkeyCurrentUser, L"Software\\Tamber4", platform::reg::Read) !=
      platform::err::Success)
    return 0;
  std::wstring value;
  if (platform::QueryStringValue(key.get(), L"UserInterfaceLanguage",
                                 (kMaxOverrideChars + 1) * sizeof(char16_t),
                                 &value) != platform::err::Success)
    return 0;
  const platform::LangId language =
      value == L"en" ? lang::English : value == L"es" ? lang::Spanish : 0;
  if (language == 0) {
    TAMBER_LOG(Warning, L"GetLanguageOverride",
               L"Language specified in 'Software\\Tamber4' key's 'UserInterfaceLanguage' string "
               L"value is '%s' which is not supported by this installation.",
               value);
    return 0;
  }
  TAMBER_LOG(Info, L"GetLanguageOverride",
             L"Language specified in 'Software\\Tamber4' key's 'UserInterfaceLanguage' string "
             L"value is '%s', supported Language ID is '0x%04x'.",
             value, language);
  return language;
}

namespace {

// The message language for `language`, trying its primary language when it has a
// sublanguage. Logs each step.
platform::LangId MatchLanguage(SetupState& state, platform::LangId language) {
  platform::LangId candidate = language;
  for (;;) {
    if (candidate == lang::English || candidate == lang::EnglishUs) {
      TAMBER_LOG(Info, L"GetBestLanguageId",
                 L"The best-matching Language ID for the embedded transforms is '0x%04x', no "
                 L"transform is required.",
                 lang::EnglishUs);
      return lang::EnglishUs;
    }
    if (candidate == lang::Spanish || candidate == lang::SpanishSpain) {
      const auto transform = state.transformsByLanguage.find(lang::SpanishSpain);
      state.transformName =
          transform == state.transformsByLanguage.end() ? std::wstring() : transform->second;
      TAMBER_LOG(Info, L"GetBestLanguageId",
                 L"The best-matching Language ID for the embedded transforms is '0x%04x', the "
                 L"transform is '%s'.",
                 lang::SpanishSpain, state.transformName);
      return lang::SpanishSpain;
    }
    const platform::LangId primary = candidate & lang::PrimaryMask;
    if (candidate == primary) {
      TAMBER_LOG(Info, L"GetBestLanguageId",
                 L"No exact match for the Language ID '0x%04x', using '0x%04x'.", candidate,
                 lang::EnglishUs);
      return lang::EnglishUs;
    }
    TAMBER_LOG(Info, L"GetBestLanguageId",
               L"No exact match for the Language ID '0x%04x', checking '0x%04x'.", candidate,
               primary);
    candidate = primary;
  }
}

}  // namespace

platform::LangId GetBestLanguageId(SetupState& state, platform::LangId language) {
  if (language == state.bestLanguage) return language;
  state.bestLanguage = MatchLanguage(state, language);
  return state.bestLanguage;
}

}  // namespace setup
