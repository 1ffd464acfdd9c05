#include "setup/session/ScriptChoice.h"

#include "logging/Log.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "setup/engine/RunStatus.h"
#include "setup/session/Paths.h"
#include "setup/session/WebScript.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Tamber4Setup";

// The name of the first file system entry matching `pattern` (wildcards allowed).
bool FindFirst(const std::wstring& pattern, std::wstring* name) {
  std::vector<platform::FindData> found;
  if (!platform::files().Find(pattern, &found) || found.empty()) return false;
  *name = found.front().fileName;
  return true;
}

bool Exists(const std::wstring& path) {
  std::wstring name;
  return FindFirst(path, &name);
}

bool IsWebAddress(const std::wstring& text) {
  return text.rfind(L"http://", 0) == 0 || text.rfind(L"https://", 0) == 0;
}

// A script beside the executable: the disc script, the update script, or any script in the
// Setup folder. False when there is none.
bool ChooseLocalScript(SetupState& state, ScriptChoice* choice) {
  const std::wstring disc = state.workingFolder + L"Setup\\Tamber4DiscScript.crvdat";
  const std::wstring update = state.workingFolder + L"Tamber4UpdateScript.crvdat";
  std::wstring anyName;
  if (Exists(disc)) {
    choice->source = disc;
    choice->workingCopy = GetTargetFilePath(state, disc);
    TAMBER_LOG(Info, L"Run",
               L"No script file specified on the command line, reading from default local disc "
               L"script file '%s', writing to '%s'.",
               choice->source, choice->workingCopy);
    return true;
  }
  if (Exists(update)) {
    choice->source = update;
  } else if (FindFirst(state.workingFolder + L"Setup\\*.crvdat", &anyName)) {
    choice->source = state.workingFolder + L"Setup\\" + anyName;
  } else {
    return false;
  }
  choice->workingCopy = GetTargetFilePath(state, choice->source);
  TAMBER_LOG(Info, L"Run",
             L"No script file specified on the command line, reading from downloaded update "
             L"script file '%s', writing to '%s'.",
             choice->source, choice->workingCopy);
  return true;
}

// No script given: a local one, else the default web script.
ScriptChoice ChooseDefaultScript(SetupState& state, const SessionServices& services) {
  ScriptChoice choice;
  if (ChooseLocalScript(state, &choice)) return choice;
  TAMBER_LOG(Info, L"Run", L"No script specified on command line, downloading script.");
  choice.status = DownloadDefaultWebScript(state, services, &choice.source, &choice.workingCopy);
  if (choice.status == kRunSuccess && state.isElevatedInstance) {
    TAMBER_LOG(Info, L"Run", L"Successfully enabled BITS service, exiting elevated instance.");
    choice.runEnded = true;
  }
  return choice;
}

// The script named on the command line: an address to download, or a path, looked up
// beside the executable when it is not found as given.
ScriptChoice ChooseGivenScript(SetupState& state, const std::vector<std::wstring>& args,
                               const SessionServices& services) {
  ScriptChoice choice;
  const std::wstring& given = args[1];
  if (IsWebAddress(given)) {
    TAMBER_LOG(Info, L"Run", L"Command line argument is a web script path.");
    choice.status = services.downloadScript(state, given, &choice.source, &choice.workingCopy);
    return choice;
  }
  choice.source = Exists(given) ? given : state.workingFolder + given;
  const std::wstring spawnNumber = args.size() > 2 ? args[2] : std::wstring();
  choice.workingCopy = state.isElevatedInstance
                           ? ElevatedWorkingCopy(state, choice.source, spawnNumber)
                           : GetTargetFilePath(state, choice.source);
  TAMBER_LOG(Info, L"Run", L"Reading specified disc script from '%s', writing to '%s'.",
             choice.source, choice.workingCopy);
  return choice;
}

}  // namespace

ScriptChoice ChooseScript(SetupState& state, const std::vector<std::wstring>& args,
                          const SessionServices& services) {
  if (args.empty()) return ScriptChoice();
  ScriptChoice choice = args.size() == 1 ? ChooseDefaultScript(state, services)
                                         : ChooseGivenScript(state, args, services);
  // A working copy path that could not be made (too long) was logged where it was made;
  // the run must not read a script it cannot write back.
  if (choice.status == kRunSuccess && !choice.runEnded && choice.workingCopy.empty())
    choice.status = kRunFail;
  return choice;
}

std::wstring SpawnedScriptName(const std::wstring& source, const std::wstring& spawnNumber) {
  const std::wstring insert = L"Spawned" + spawnNumber;
  const std::size_t dot = source.rfind(L'.');
  const std::size_t slash = source.find_last_of(L"\\/");
  // A dot in a folder name is not the file's extension: inserting there would give the
  // elevated instance its parent's working copy name.
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
    return source + insert;
  return source.substr(0, dot) + insert + source.substr(dot);
}

std::wstring ElevatedWorkingCopy(SetupState& state, const std::wstring& source,
                                 const std::wstring& spawnNumber) {
  return GetTargetFilePath(state, SpawnedScriptName(source, spawnNumber));
}

void WarnAboutElevationSwitch(const SetupState& state) {
  if (state.isElevatedInstance && !state.isAdmin)
    TAMBER_LOG(Warning, L"Run",
               L"The 'elevated' command line parameter was specified but the process is not "
               L"elevated.");
  if (!state.isElevatedInstance && state.isVistaOrLater && state.isAdmin)
    TAMBER_LOG(Warning, L"Run",
               L"The 'elevated' command line parameter was not specified but the process is "
               L"elevated.");
}

}  // namespace setup
