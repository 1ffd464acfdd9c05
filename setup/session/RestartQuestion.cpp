#include "setup/session/RestartQuestion.h"

#include <cstdint>

#include "platform/CurrentProcess.h"
#include "platform/Machine.h"
#include "platform/UserInterface.h"
#include "setup/session/Messages.h"

namespace setup {
namespace {


// `text`, or else message `id` in the user's default language, or else in English.
std::wstring OrDefaultText(const std::wstring& text, std::uint32_t id) {
  if (!text.empty()) return text;
  const platform::ModuleHandle exe = platform::process().ExecutableModule();
  const std::wstring own = LoadMessageText(id, exe, UserDefaultPrimaryLanguage());
  return own.empty() ? LoadMessageText(id, exe, platform::lang::English) : own;
}

}  // namespace

bool AskToRestartNow(const std::wstring& title, const std::wstring& question) {
  namespace mb = platform::mb;
  return TamberMessageBox(OrDefaultText(title, kMsgSetupTitle),
                          OrDefaultText(question, kMsgRestartQuestion), std::wstring(),
                          mb::YesNo | mb::UserIcon | mb::SetForeground) == mb::IdYes;
}

}  // namespace setup
