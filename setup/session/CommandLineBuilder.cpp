#include "setup/session/CommandLineBuilder.h"

#include <vector>

#include "ComUtil/IssueError.h"
#include "logging/Log.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Shell.h"
#include "setup/session/Paths.h"
#include "text/Format.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "CommandLineBuilder";

bool StartsWith(const std::wstring& text, const std::wstring& head) {
  return text.compare(0, head.size(), head) == 0;
}

std::wstring ShellFolder(int csidl) {
  std::wstring folder;
  GetSpecialFolder(csidl, &folder);  // the temporary folder stands in on failure
  return folder;
}

// The tokens after the script's own special folders, in the order they are tried. Shell
// folders are asked for only when their token is met.
bool RenderKnownToken(const SetupState& state, std::wstring* path) {
  if (RenderPath(path, L"%InstallDirectory%", state.installDirectory)) return true;
  const std::pair<const wchar_t*, int> shellTokens[] = {
      {L"%LocalAppDataFolder%", platform::csidl::LocalAppData},
      {L"%ProgramFiles%", platform::csidl::ProgramFiles},
      {L"%System%", platform::csidl::System}};
  for (const auto& [token, csidl] : shellTokens)
    if (StartsWith(*path, token) && RenderPath(path, token, ShellFolder(csidl))) return true;
  return RenderPath(path, L"%WorkingDirectory%", state.workingFolder);
}

bool IsFound(const std::wstring& path) {
  std::vector<platform::FindData> found;
  return platform::files().Find(path, &found) && !found.empty();
}

}  // namespace

bool RenderPath(std::wstring* path, const std::wstring& token, const std::wstring& folder) {
  if (!StartsWith(*path, token)) return false;
  if (folder.empty()) {
    TAMBER_LOG(Error, L"RenderPath",
               L"The directory path associated with the special folder '%s' has not been "
               L"initialized.(Before using %%InstallDirectory%% in a script, "
               L"read-registry-install-directory must be called.)",
               token);
    return false;
  }
  std::wstring rest = path->substr(token.size());
  if (rest.empty()) {
    *path = folder;
    return true;
  }
  if (rest[0] == L'\\') rest.erase(0, 1);
  *path = folder + (folder.back() == L'\\' ? L"" : L"\\") + rest;
  return true;
}

bool MakeSpecialFolderPath(const SetupState& state, std::wstring* path, bool* error) {
  *error = false;
  if (path->empty() || (*path)[0] != L'%') return false;
  auto mapped = state.specialFolders.find(*path);
  if (mapped != state.specialFolders.end() && RenderPath(path, mapped->first, mapped->second))
    return true;
  if (RenderKnownToken(state, path)) return true;
  TAMBER_LOG(Error, L"MakeSpecialFolderPath", L"Unrecognized special folder in program parameter '%s'.",
             *path);
  *error = true;
  return false;
}

void AddArgument(const CommandParameters& line, const std::wstring& name, std::wstring* arguments,
                 bool forceQuotes, bool forceNoQuotes) {
  if (!arguments->empty()) arguments->push_back(L' ');
  const std::wstring value = line.GetParameter(name);
  const bool quote = !forceNoQuotes && (forceQuotes || value.find(L' ') != std::wstring::npos);
  *arguments += quote ? L"\"" + value + L"\"" : value;
  const wchar_t* kind = forceQuotes ? L"force-" : (quote ? L"" : L"non-");
  TAMBER_LOG(Debug, L"AddArgument", L"Adding %squoted command line argument '%s' (force-no-quotes '%s').",
             kind, value, forceNoQuotes ? L"yes" : L"no");
}

CommandLineParts BuildCommandLine(const SetupState& state, const CommandParameters& line,
                                  bool forceNoQuotes) {
  CommandLineParts parts;
  std::wstring program = line.GetParameter(L"program");
  if (program.empty())
    TAMBER_LOG(Error, L"BuildCommandLine", L"Parameter '%s' not found for '%s' command.", L"program",
               line.CommandName());
  TAMBER_THROW_IF_FALSE(!program.empty());
  const bool rendered = MakeSpecialFolderPath(state, &program, &parts.error);
  if (parts.error) return parts;
  if (!rendered && !IsFound(program)) program = state.workingFolder + program;
  parts.program = program.find(L' ') != std::wstring::npos ? L"\"" + program + L"\"" : program;
  for (int number = 1;; ++number) {
    const std::wstring plain = L"arg" + text::DecimalText(number);
    const std::wstring quoted = L"arg-quoted" + text::DecimalText(number);
    if (line.HasParameter(plain))
      AddArgument(line, plain, &parts.arguments, false, forceNoQuotes);
    else if (line.HasParameter(quoted))
      AddArgument(line, quoted, &parts.arguments, true, forceNoQuotes);
    else
      break;
  }
  parts.commandLine = parts.program + (parts.arguments.empty() ? L"" : L" " + parts.arguments);
  return parts;
}

}  // namespace setup
