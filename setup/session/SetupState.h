// The one record of a run: created by the entry point before Run, handed to every command
// handler, destroyed after Run. Fields and initial values are those of a fresh session.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/Types.h"
#include "setup/engine/Script.h"

namespace setup {

class WindowsUpdateClient;

// Restart requests carried by SetupState::rebootMode.
enum RebootMode : std::int32_t {
  kRebootNone = 0,
  kRebootWhenConvenient = 1,
  kRebootAsSoonAsPossible = 2,
};

struct SetupState {
  bool inElevatedSection = false;  // commands of the open section go to an elevated instance
  std::int32_t spawnCount = 1;     // number given to the next elevated instance
  bool isVistaOrLater = false;
  bool isAdmin = false;             // the process token grants administrator access
  bool isElevatedInstance = false;  // started with the "elevated" switch
  std::int32_t rebootMode = kRebootNone;
  bool abortRequested = false;  // the run fails at its next stop
  bool quiet = false;           // installers run with basic user interface
  platform::LangId uiLanguage = 0;
  platform::LangId bestLanguage = 0;  // last result of GetBestLanguageId
  std::wstring transformName;         // language transform for bestLanguage, or empty
  std::map<platform::LangId, std::wstring> transformsByLanguage{{3082, L"es-es.mst"}};
  Script script;
  std::wstring loggingFolder;     // folder for installer logs
  std::wstring workingFolder;     // the executable's folder, with a trailing backslash
  std::wstring installDirectory;  // read from the registry by a script command
  std::wstring rootUri;           // base address of a downloaded web script, ends in "/"
  std::wstring targetFolder;      // folder of the working copies, with a trailing backslash
  std::wstring elevationTitle;    // title and message of the current elevated section
  std::wstring elevationMessage;
  std::map<std::wstring, std::wstring> specialFolders;  // "%Name%" -> path
  // The run's Windows Update client: made by the run's first Windows Update command, gone
  // with the state when the run ends.
  std::shared_ptr<WindowsUpdateClient> windowsUpdate;
};

}  // namespace setup
