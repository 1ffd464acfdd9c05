#include "setup/session/Messages.h"

#include "logging/Log.h"
#include "platform/CurrentProcess.h"
#include "platform/Machine.h"
#include "platform/Resources.h"
#include "platform/SystemInfo.h"
#include "platform/UserInterface.h"
#include "setup/engine/DecimalParameter.h"
#include "setup/session/ProcessState.h"

namespace setup {
namespace {

namespace lang = platform::lang;

constexpr char kLogSource[] = "Messages";

struct IconChoice {
  std::uint32_t style;
  const wchar_t* word;
};

// The box style and the logged icon word for `iconKind`, given the caller's style.
IconChoice ChooseIcon(const std::wstring& iconKind, std::uint32_t style) {
  namespace mb = platform::mb;
  const std::uint32_t plain = style & ~mb::UserIcon;
  if (iconKind == L"none") return {plain, L"no"};
  if (iconKind == L"info") return {plain | mb::IconInformation, L"an information"};
  if (iconKind == L"warning") return {plain | mb::IconWarning, L"a warning"};
  if (iconKind == L"error") return {plain | mb::IconError, L"an error"};
  if (!iconKind.empty())
    TAMBER_LOG(Warning, L"TamberMessageBox", L"Unrecognized icon type '%s'.", iconKind);
  return {style | mb::SetForeground, L"a Tamber"};
}

}  // namespace

std::wstring LoadMessageText(std::uint32_t id, std::optional<platform::ModuleHandle> module,
                             platform::LangId language) {
  std::wstring text;
  if (!module) {
    if (!platform::system().SystemErrorText(id, language, &text)) text.clear();
    return text;
  }
  if (!platform::resources().FormatModuleMessage(*module, id, language, &text)) text.clear();
  return text;
}

std::wstring LocalizedStringFromResources(std::uint32_t id) {
  const platform::ModuleHandle exe = platform::process().ExecutableModule();
  const platform::LangId language = processState().messageLanguage;
  std::wstring text = LoadMessageText(id, exe, language);
  if (!text.empty()) return text;
  const platform::Win32Error error = platform::process().LastError();
  TAMBER_LOG(Error, L"Error", L"Error message: %s",
             LoadMessageText(error, std::nullopt, lang::UserDefault));
  TAMBER_LOG(Error, L"LocalizedStringFromResources",
             L"Failed to retrieve string with Message ID '%d' from exe's resources in system "
             L"language 0x%02x, defaulting to en (0x09).",
             id, language);
  return LoadMessageText(id, exe, lang::English);
}

std::wstring LookupMessage(const std::wstring& messageId, const std::wstring& scriptText) {
  if (messageId.empty()) {
    TAMBER_LOG(Info, L"LookupMessage", L"Message ID not specified, using script's string value of '%s'.",
               scriptText);
    return scriptText;
  }
  const std::wstring tableText =
      LocalizedStringFromResources(static_cast<std::uint32_t>(ParseDecimalParameter(messageId)));
  if (tableText.empty()) {
    TAMBER_LOG(Warning, L"LookupMessage",
               L"Could not find localized string with Message ID '%s' in the message table, "
               L"using script's string value of '%s'.",
               messageId, scriptText);
    return scriptText;
  }
  if (processState().messageLanguage != lang::EnglishUs || tableText == scriptText)
    return tableText;
  TAMBER_LOG(Warning, L"LookupMessage",
             L"English string from script '%s' does not match English string from messages "
             L"'%s', using script string.",
             scriptText, tableText);
  return scriptText;
}

int TamberMessageBox(const std::wstring& title, const std::wstring& message,
                     const std::wstring& iconKind, std::uint32_t style) {
  const IconChoice icon = ChooseIcon(iconKind, style);
  TAMBER_LOG(Info, L"TamberMessageBox",
             L"Displaying message box with title '%s', message '%s' and %s icon.", title,
             message, icon.word);
  platform::MessageBoxRequest request;
  request.title = title;
  request.text = message;
  request.style = icon.style;
  request.iconResource = kProductIconResource;
  return platform::ui().ShowMessageBox(request);
}

platform::LangId UserDefaultPrimaryLanguage() {
  return platform::system().UserDefaultLangId() & lang::PrimaryMask;
}

std::wstring SystemErrorText(platform::Win32Error code) {
  std::wstring text;
  if (!platform::system().SystemErrorText(code, 0, &text)) return std::wstring();
  if (!text.empty() && text.back() == L'\n') {
    text.pop_back();
    if (!text.empty() && text.back() == L'\r') text.pop_back();
  }
  return text;
}

std::wstring LineTitle(const CommandParameters& line) {
  return LookupMessage(line.GetParameter(L"message-id-title"), line.GetParameter(L"title"));
}

std::wstring LineMessage(const CommandParameters& line) {
  return LookupMessage(line.GetParameter(L"message-id-message"), line.GetParameter(L"message"));
}

}  // namespace setup
