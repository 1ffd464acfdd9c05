// The texts the program shows: its message table in the chosen language, a script line's
// choice between a table entry and its own English wording, and the one message box.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "setup/engine/CommandParameters.h"

#include "platform/Types.h"

namespace setup {

// Identifiers of the message table entries the session itself shows.
enum MessageId : std::uint32_t {
  kMsgSetupTitle = 215,
  kMsgRestartQuestion = 217,
  kMsgOsTooOld = 225,
  kMsgNoPrivileges = 226,
};

// The icon resource shown for the product icon.
constexpr std::uint32_t kProductIconResource = 129;

// Message `id` of `module`'s message table in `language`, formatted without inserts; with
// no module, the system's own message table (texts of system error codes). The empty text
// when the entry does not exist in that language. Leaves the thread's last error as the
// lookup set it.
std::wstring LoadMessageText(std::uint32_t id, std::optional<platform::ModuleHandle> module,
                             platform::LangId language);

// Message `id` of the executable's table in the message language; when that language lacks
// it, logs why and falls back to English. Empty when English lacks it too.
std::wstring LocalizedStringFromResources(std::uint32_t id);

// The text a script line shows, from its message-id parameter `messageId` (decimal digits,
// possibly empty) and its plain English wording `scriptText`. The table entry wins, except
// that for English users the script's wording overrides a different English entry.
std::wstring LookupMessage(const std::wstring& messageId, const std::wstring& scriptText);

// A line's title ("message-id-title", "title") and message ("message-id-message",
// "message") through LookupMessage. Each lookup logs: callers look them up in separate
// statements, in the order their log lines are to come.
std::wstring LineTitle(const CommandParameters& line);
std::wstring LineMessage(const CommandParameters& line);

// Shows a modal box with `title` and `message` and returns the button pressed (0 when the
// box could not be shown). `iconKind` is a line's "icon" value: "none", "info", "warning",
// "error", or anything else for the product icon. `style` is a set of platform::mb flags.
int TamberMessageBox(const std::wstring& title, const std::wstring& message,
                     const std::wstring& iconKind, std::uint32_t style);

// The primary language of the user's default language: the language of the start-up and
// restart boxes.
platform::LangId UserDefaultPrimaryLanguage();

// The system's text for `code` without its trailing line break; empty when it has none.
std::wstring SystemErrorText(platform::Win32Error code);

}  // namespace setup
