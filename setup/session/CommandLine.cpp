#include "setup/session/CommandLine.h"

#include "logging/Log.h"
#include "platform/CurrentProcess.h"
#include "platform/Machine.h"
#include "platform/UserInterface.h"
#include "setup/session/Messages.h"
#include "setup/session/WebScript.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Tamber4Setup";

// Shows the address of the default web script, titled in the user's own language.
void ShowWebScriptUrl() {
  const std::wstring title = LoadMessageText(kMsgSetupTitle, platform::process().ExecutableModule(),
                                             UserDefaultPrimaryLanguage());
  TamberMessageBox(title, LoadWebScriptUrl(), std::wstring(), platform::mb::UserIcon);
}

// Applies the switch `token` (prefix character included). True when it was "scripturl".
bool ApplySwitch(SetupState& state, const std::wstring& token) {
  const std::wstring name = token.substr(1);
  if (name == L"elevated") {
    TAMBER_LOG(Info, L"ParseCommandLine", L"Running elevated.");
    state.isElevatedInstance = true;
  } else if (name == L"quiet") {
    TAMBER_LOG(Info, L"ParseCommandLine",
               L"'quiet' switch specified, Windows Installer will be run with basic UI.");
    state.quiet = true;
  } else if (name == L"scripturl") {
    ShowWebScriptUrl();
    return true;
  } else {
    TAMBER_LOG(Error, L"ParseCommandLine", L"Unrecognized command line switch '%s'.", token);
  }
  return false;
}

// The token starting at `*pos`, leaving `*pos` on the first character after it and the
// blanks that follow it.
std::wstring NextToken(const std::wstring& text, std::size_t* pos) {
  std::size_t i = *pos;
  const bool quoted = text[i] == L'"';
  if (quoted) ++i;
  const wchar_t delimiter = quoted ? L'"' : L' ';
  std::size_t end = text.find(delimiter, i);
  if (end == std::wstring::npos) end = text.size();
  std::wstring token = text.substr(i, end - i);
  i = end;
  if (quoted && i < text.size()) ++i;  // the closing quote
  while (i < text.size() && text[i] == L' ') ++i;
  *pos = i;
  return token;
}

}  // namespace

bool ParseCommandLine(SetupState& state, const std::wstring& commandLine,
                      std::vector<std::wstring>* args) {
  args->clear();
  bool scriptUrlShown = false;
  std::size_t pos = 0;
  while (pos < commandLine.size()) {
    std::wstring token = NextToken(commandLine, &pos);
    if (!token.empty() && (token[0] == L'-' || token[0] == L'/')) {
      scriptUrlShown = ApplySwitch(state, token) || scriptUrlShown;
    } else {
      args->push_back(std::move(token));
    }
  }
  return !scriptUrlShown;
}

}  // namespace setup
