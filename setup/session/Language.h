// The user interface language of the session and the message language chosen from it.
#pragma once

#include "platform/Types.h"
#include "setup/session/SetupState.h"

namespace setup {

// The primary language named by HKCU "Software\Tamber4" "UserInterfaceLanguage": 9 for
// "en", 10 for "es" (exact text); 0 when the key or value is missing or names another
// language (logged as a Warning).
platform::LangId GetLanguageOverride();

// The message language for `language`: 3082 for Spanish (setting state.transformName to
// Spanish's embedded transform), 1033 for everything else, trying the primary language of
// an identifier with a sublanguage. Remembered in state.bestLanguage; asking again for the
// remembered language returns it without logging.
platform::LangId GetBestLanguageId(SetupState& state, platform::LangId language);

}  // namespace setup
