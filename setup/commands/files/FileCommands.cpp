#include "setup/commands/files/FileCommands.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "ComUtil/IssueError.h"
#include "logging/Log.h"
#include "platform/CurrentProcess.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "setup/commands/files/SelfCommand.h"
#include "setup/engine/CommandOutcomes.h"
#include "setup/engine/CommandTable.h"
#include "setup/session/CommandLineBuilder.h"
#include "setup/session/LastErrorReport.h"
#include "setup/session/Messages.h"
#include "setup/session/Paths.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "FileCommands";
const wchar_t kCopyFile[] = L"RunCommandCopyFile";

// A "source" or "target" value as a real path: a leading special folder rendered, a path
// without a drive or a UNC start taken relative to the executable's folder. False when it
// names an unknown special folder (logged); *path then holds the value unchanged.
bool ResolveCopyPath(const SetupState& state, std::wstring* path) {
  bool error = false;
  if (MakeSpecialFolderPath(state, path, &error) || error) return !error;
  const bool absolute = path->find(L':') != std::wstring::npos || path->rfind(L"\\\\", 0) == 0;
  if (!absolute) *path = state.workingFolder + *path;
  return true;
}

// Copies the file `source` into the folder `target`, creating the folder. True on success.
bool CopyIntoFolder(const std::wstring& source, const std::wstring& target) {
  TAMBER_LOG(Info, kCopyFile, L"Creating directory tree '%s'.", target);
  if (!CreateDirectoryTree(target)) return false;
  const std::wstring targetFile = target + L"\\" + FileNamePart(source);
  TAMBER_LOG(Info, kCopyFile, L"Copying file from '%s' to '%s'.", source, targetFile);
  if (platform::files().Copy(source, targetFile, false)) return true;
  const LastErrorReport failure;
  TAMBER_LOG(Error, kCopyFile, L"Failed to copy file. GetLastError: 0x%X, '%s'", failure.code,
             failure.text);
  return false;
}

// The special-folder entry of an earlier line, when its command names special folders
// (a download), it succeeded, and it has a name and a file path.
bool DownloadedFolder(const std::wstring& text, std::wstring* key, std::wstring* path) {
  CommandParameters line;
  line.Parse(text);
  if (!ProgramCommands().Has(line.CommandName(), kNamesSpecialFolder) ||
      !line.ResultIs(LineResult::Success))
    return false;
  *key = L"%" + line.GetParameter(L"special-folder-name") + L"%";
  *path = line.GetParameter(L"file-path");
  return *key != L"%%" && !path->empty();
}

// The lines before the current one of the commands that name a special folder, nearest
// first.
std::vector<int> NamingLinesBefore(Script& script) {
  std::vector<int> found;
  for (const CommandEntry& entry : ProgramCommands().entries()) {
    if (!entry.Has(kNamesSpecialFolder)) continue;
    for (const int index : script.EarlierLinesOf(entry.name, script.currentLine)) found.push_back(index);
  }
  std::sort(found.begin(), found.end(), std::greater<int>());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  return found;
}

}  // namespace

void RunCommandCopyFile(CommandParameters& line, const SetupState& state) {
  std::wstring source = line.GetParameter(L"source");
  std::wstring target = line.GetParameter(L"target");
  for (const wchar_t* name : {L"source", L"target"})
    if (line.GetParameter(name).empty())
      TAMBER_LOG(Error, kCopyFile, L"Parameter '%s' not found for '%s' command.", name, line.CommandName());
  TAMBER_THROW_IF_FALSE(!source.empty() && !target.empty());
  const bool resolved = ResolveCopyPath(state, &source) && ResolveCopyPath(state, &target);
  if (!resolved || !IsExistingFile(source)) {
    TAMBER_LOG(Error, kCopyFile, L"Source file '%s' not found, skipping command.", source);
    return;
  }
  if (!target.empty() && target.back() == L'\\') target.pop_back();
  if (CopyIntoFolder(source, target)) line.SetResult(LineResult::Success);
}

void RunCommandSetSpecialFolderPaths(SetupState& state) {
  TAMBER_LOG(Info, L"RunCommandSetSpecialFolderPaths",
             L"Setting special folder paths from completed download jobs.");
  for (const int index : NamingLinesBefore(state.script)) {
    std::wstring key, path;
    if (!DownloadedFolder(state.script.lines[static_cast<std::size_t>(index)], &key, &path)) continue;
    TAMBER_LOG(Info, L"RunCommandSetSpecialFolderPaths",
               L"Adding special folder map entry, name '%s', value '%s'.", key, path);
    state.specialFolders[key] = path;
  }
}

namespace {

// "set-special-folder-paths" reads the script, not its own line. It runs on every run, as
// the install directory's line does: the map it makes lives in memory only, and a run that
// skipped the line (after a restart, or in the elevated instance) would not know the
// downloads' special folders, and would skip installing them as not found.
Flow RunSetSpecialFolderPaths(RunFrame& frame, CommandParameters& line) {
  RunCommandSetSpecialFolderPaths(frame.state);
  line.SetResult(LineResult::Repeat);
  return Flow::Next;
}

}  // namespace

CommandRows FileCommandRows() {
  static const CommandRow kRows[] = {
      {L"copy-file", Plain<RunCommandCopyFile>, kPlainCommand, nullptr, L"source!:path target!:path"},
      {L"set-special-folder-paths", RunSetSpecialFolderPaths, kRunsEveryRun, nullptr, L""},
      {L"self", Plain<RunCommandSelf>, kRecordsRootUri | kRunsEveryRun, nullptr, L"uri"},
  };
  return RowsOf(kRows);
}

}  // namespace setup
