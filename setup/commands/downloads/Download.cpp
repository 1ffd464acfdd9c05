#include "setup/commands/downloads/DownloadCommands.h"

#include "logging/Log.h"
#include "setup/commands/downloads/BitsClient.h"
#include "setup/engine/CommandOutcomes.h"
#include "setup/session/CommandLineBuilder.h"
#include "setup/session/Messages.h"
#include "setup/session/Paths.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Tamber4Setup";
const wchar_t kCategory[] = L"RunCommandDownload";
const wchar_t kXpFlag[] = L"foreground-on-xp-limited-user";

bool IsAbsoluteUri(const std::wstring& uri) {
  return uri.rfind(L"http://", 0) == 0 || uri.rfind(L"https://", 0) == 0 ||
         uri.rfind(L"file://", 0) == 0;
}

// "%" + the line's special-folder-name + "%" names `path` for later lines.
void AddSpecialFolder(SetupState& state, const CommandParameters& line, const std::wstring& path) {
  if (!line.HasParameter(L"special-folder-name")) return;
  const std::wstring name = L"%" + line.GetParameter(L"special-folder-name") + L"%";
  TAMBER_LOG(Info, kCategory, L"Adding special folder map entry, name '%s', value '%s'.", name, path);
  state.specialFolders[name] = path;
}

// The target as a full path: a special folder rendered, a relative path under the folder
// of the working copies. False when it names an unknown special folder (logged).
bool ResolveTarget(const SetupState& state, std::wstring* path) {
  bool error = false;
  if (MakeSpecialFolderPath(state, path, &error)) return true;
  if (error) return false;
  const bool absolute = path->find(L':') != std::wstring::npos || path->rfind(L"\\\\", 0) == 0;
  if (!absolute) *path = state.targetFolder + *path;
  return true;
}

// Gives the nearest earlier "download" line of `uri` the result of this one: it is the
// background request this line took over.
void SetEarlierDownloadResult(SetupState& state, const std::wstring& command,
                              const std::wstring& uri, const std::wstring& result) {
  Script& script = state.script;
  for (const int index : script.EarlierLinesOf(command, script.currentLine)) {
    CommandParameters earlier;
    earlier.Parse(script.lines[static_cast<std::size_t>(index)]);
    if (earlier.GetParameter(L"uri") != uri) continue;
    TAMBER_LOG(Info, kCategory, L"Setting %s for line number %d: '%s' to '%s'.", L"result", index,
               command, result);
    earlier.SetParameter(L"result", result);
    script.Set(index, earlier.Serialize());  // through Set, so the run's journal keeps it
    return;
  }
}

// Before Vista the elevated instance downloads nothing: a foreground file was fetched before
// the elevation, a background one only needs its special folder again.
bool SkipInElevatedInstance(SetupState& state, CommandParameters& line, bool background) {
  if (background) {
    AddSpecialFolder(state, line, line.GetParameter(L"file-path"));
  } else {
    TAMBER_LOG(Info, kCategory,
               L"Skipping download (assuming a matching background download flagged with '%s' "
               L"completed prior to RunAs).",
               kXpFlag);
  }
  line.SetResult(LineResult::Success);
  return true;
}

}  // namespace

bool RunCommandDownload(SetupState& state, CommandParameters& line, BitsClient& bitsClient) {
  std::wstring uri = line.GetParameter(L"uri");
  const std::wstring name = LookupMessage(line.GetParameter(L"message-id-name"), line.GetParameter(L"name"));
  std::wstring path = line.GetParameter(L"file-path");
  if (uri.empty() || name.empty() || path.empty()) {
    TAMBER_LOG(Error, kCategory,
               L"One of the requried parameters is missing: '%s' is '%s', '%s' is '%s' and '%s' "
               L"is '%s'.",
               L"uri", uri, L"name", name, L"file-path", path);
    return false;
  }
  const bool backgroundLine = line.IsYes(L"background");
  if (!state.isVistaOrLater && state.isElevatedInstance)
    return SkipInElevatedInstance(state, line, backgroundLine);
  if (!IsAbsoluteUri(uri)) {
    uri = state.rootUri + uri;
    TAMBER_LOG(Info, kCategory, L"Generated full URI from relative path: '%s'.", uri);
    line.SetParameter(L"uri", uri);
  }
  if (!ResolveTarget(state, &path)) return false;
  line.SetParameter(L"file-path", path);
  AddSpecialFolder(state, line, path);
  bool background = backgroundLine;
  if (background && !state.isVistaOrLater && !state.isAdmin && line.IsYes(kXpFlag)) {
    TAMBER_LOG(Info, kCategory,
               L"Background download on XP with '%s' flag '%s': downloading in foreground.",
               kXpFlag, L"yes");
    background = false;
  }
  const std::size_t lastBackslash = path.rfind(L'\\');
  CreateDirectoryTree(path.substr(0, lastBackslash == std::wstring::npos ? 0 : lastBackslash));
  std::wstring jobId = line.GetParameter(L"copy-job-id");
  TAMBER_LOG(Info, kCategory,
             L"Downloading in the %s file '%s' from '%s' to '%s'. Existing Copy Job ID: %s",
             background ? L"background" : L"foreground", name, uri, path,
             jobId.empty() ? std::wstring(L"(none)") : jobId);
  bool found = false;
  const bool downloaded = bitsClient.Download(uri, name, path, background, &jobId, &found);
  const std::wstring result = ResultWord(downloaded ? LineResult::Success : LineResult::Failure);
  if (found) SetEarlierDownloadResult(state, line.CommandName(), uri, result);
  if (backgroundLine && !jobId.empty()) {
    TAMBER_LOG(Info, kCategory, L"Adding parameter '%s' with JobID '%s'.", L"copy-job-id", jobId);
    line.SetParameter(L"copy-job-id", jobId);
  }
  if (found || !backgroundLine) line.SetParameter(L"result", result);
  return downloaded;
}

namespace {

Flow RunDownload(RunFrame& frame, CommandParameters& line) {
  // Session services made by hand (tests, tools) may come without a client: one for the
  // line then, rather than a crash.
  BitsClient ownClient;
  BitsClient& client = frame.services.bitsClient ? *frame.services.bitsClient : ownClient;
  return FailRunUnless(frame, RunCommandDownload(frame.state, line, client));
}

}  // namespace

CommandRows DownloadCommandRows() {
  // "name" is needed even beside "message-id-name": an English run shows the script's own
  // wording, and an empty one fails the line.
  static const CommandRow kRows[] = {
      {L"download", RunDownload,
       kSetsOwnResult | kDelegated | kTakesOverDownload | kNamesSpecialFolder, nullptr,
       L"uri! name! message-id-name:message-id file-path!:path background:flag"
       L" foreground-on-xp-limited-user:flag special-folder-name copy-job-id"},
  };
  return RowsOf(kRows);
}

}  // namespace setup
