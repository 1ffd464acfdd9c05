#include "platform/sim/SimMachineKeys.h"

#include <vector>

#include "platform/sim/SimText.h"
#include "text/NearestName.h"

namespace platform::sim {
namespace {

const MachineKey kKeys[] = {
    {"windows", "xp-sp2, xp-sp3, vista, 7 or 10", "10", "the Windows release (sets the version)"},
    {"version", "major.minor.build", "10.0.19045", "the version, instead of windows"},
    {"service-pack", "major.minor", "0.0", "the service pack"},
    {"csd-version", "text", "", "the service pack's name, such as Service Pack 3"},
    {"version-ex-fails", "yes or no", "no", "GetVersionExW with the extended block fails"},
    {"ui-language", "a language id, such as 0x0409", "0x0409", "the user's UI language"},
    {"system-ui-language", "a language id", "0x0409", "the system's UI language"},
    {"user-language", "a language id", "0x0409", "the user's locale"},
    {"administrator", "yes or no", "yes", "the user may write HKEY_LOCAL_MACHINE; no: it refuses writes"},
    {"elevated", "yes or no", "no",
     "the program runs with the full administrator token (no elevation prompt)"},
    {"exe-path", "a path", "C:\\Users\\User\\Downloads\\Tamber4Setup.exe", "where the program runs from"},
    {"current-directory", "a path", "", "the current folder (default: the program's folder)"},
    {"documents-folder", "a path", "", "the shell's Documents folder"},
    {"local-app-data-folder", "a path", "", "the shell's local application data folder"},
    {"program-files-folder", "a path", "", "the shell's Program Files folder"},
    {"system-folder", "a path", "C:\\Windows\\System32", "the shell's System folder"},
    {"temp-folder", "a path with its final backslash", "C:\\Users\\User\\AppData\\Local\\Temp\\",
     "the temporary folder"},
    {"folder-path-function", "yes or no", "yes", "no: SHGetFolderPathW cannot be found"},
    {"file-version", "a.b.c.d", "4.0.0.0", "the program's file version"},
    {"string-N", "text", "", "string N of the string table (131: the default web script)"},
    {"utc-time", "2026-03-01T10:15:42Z", "", "the clock's start (default: the host's time)"},
    {"tick-count", "milliseconds", "", "the time since start-up"},
    {"process-id", "a number", "", "the program's process id"},
    {"thread-id", "a number", "", "the program's thread id"},
    {"memory-info", "yes or no", "yes", "no: GetProcessMemoryInfo cannot be found"},
    {"working-set-bytes", "a number or fails", "", "the working set GetProcessMemoryInfo reports"},
    {"environment", "NAME=value", "", "an environment variable; one line each"},
    {"program", "PATH|exit code|run milliseconds", "",
     "a program on the disk, what it returns and how long it runs; one line each"},
    {"elevation-answer", "accept or refuse", "accept",
     "the answer to the next elevation prompt, in order (shown when the user is not elevated)"},
    {"box-answer", "ok, cancel, yes, no, abort, retry, ignore, none or a number", "",
     "the answer to the next message box, in order; none: the box cannot be shown"},
    {"service", "name|start type (2 automatic, 3 on demand, 4 disabled)", "",
     "a service of the Service Control Manager; BITS and wuauserv are there by default"},
    {"windows-update", "yes or no", "yes", "no: the Automatic Updates object cannot be created"},
    {"running-process", "PATH|milliseconds or forever[|ignores-termination]", "",
     "a program already running when the run starts (for that run only)"},
    {"bits-service", "enabled, disabled or an error code", "enabled",
     "disabled: creating the transfer manager fails with 0x80070422 (or the code given)"},
    {"transfer-rate", "bytes per second", "", "how fast the simulated transfers go"},
    {"transfer-notifications", "BG_NOTIFY_* flags", "", "the notifications the service delivers (0x1: as Wine)"},
    {"transfer-fails", "address|error code|error context", "", "a source address that fails"},
    {"network", "real or offline", "real",
     "real: http and https addresses no web-file serves are fetched from the network; offline: they do not resolve"},
    {"web-file", "ADDRESS|PATH", "",
     "the network serves ADDRESS from the file PATH of the disk; an ADDRESS ending in / serves every address below it from the folder PATH; one line each"},
    {"transfer-job", "{JOB-ID}|state|priority|...", "", "a job the transfer service keeps across runs"},
    {"installed-product", "{UPGRADE-CODE}|{PRODUCT-CODE}|version|package path", "",
     "a product the installer has"},
    {"msi-signature", "package file name|code", "", "the signature check's result for a package"},
    {"msi-install-result", "package file name|code", "", "the installation's return code"},
    {"msi-uninstall-result", "package file name|code", "", "the removal's return code"},
    {"account", "SID|domain|name", "", "an account, or new names for a SID"},
    {"token-user", "SID", "", "the user of the process token"},
    {"owner", "path|SID", "", "the owner of a file or folder"},
    {"dacl", "path|protected or inherits|entry|...", "",
     "a DACL; each entry: allow, deny or a number, flags, mask, SID"},
    {"volume-without-acls", "a drive letter", "", "a drive whose file system keeps no ACLs"},
    {"volume-path-function", "yes or no", "yes", "no: GetVolumePathNameW cannot be found"},
    {"takeown-exit-code", "a number", "0", "the exit code of the next takeown.exe run"},
    {"security-call-fails", "call|error|count", "",
     "the next calls of that name fail: read-dacl, write-dacl, read-owner, token-user, ..."},
};

const char* const kSystemPrograms[] = {"cmd.exe", "takeown.exe", "msiexec.exe", "reg.exe"};

bool IsStringKey(const std::string& key) {
  return key.size() > 7 && key.compare(0, 7, "string-") == 0 &&
         key.find_first_not_of("0123456789", 7) == std::string::npos;
}

}  // namespace

const MachineKey* FindMachineKey(const std::string& key) {
  const std::string name = IsStringKey(key) ? "string-N" : key;
  for (const MachineKey& k : kKeys)
    if (name == k.key) return &k;
  return nullptr;
}

std::string MachineLineError(const std::string& file, int number, const std::string& key,
                             const std::string& value) {
  const std::string where = file + " line " + std::to_string(number) + ": ";
  if (const MachineKey* known = FindMachineKey(key))
    return where + "the value '" + value + "' of '" + key + "' is not " + known->takes;
  std::vector<std::wstring> names;
  for (const MachineKey& k : kKeys) names.push_back(Utf8ToWide(k.key));
  const std::wstring nearest = text::NearestName(Utf8ToWide(key), names);
  return where + "unknown key '" + key + "'" +
         (nearest.empty() ? "" : " (did you mean '" + WideToUtf8(nearest) + "'?)") +
         "; 'tamber4sim keys' lists every key";
}

std::string MachineKeysText() {
  std::string text;
  for (const MachineKey& k : kKeys) {
    text += std::string(k.key) + " = " + k.takes;
    if (*k.initial != '\0') text += "   (default: " + std::string(k.initial) + ")";
    text += "\n    " + std::string(k.meaning) + "\n";
  }
  return text;
}

std::string MachineTemplateText() {
  std::string text =
      "# A tamber4sim machine: one \"key = value\" per line; '#' starts a comment.\n"
      "# Runs never rewrite this file: their outcome goes to the state folder beside it.\n"
      "# The registry: registry.reg beside this file, in regedit's format, imported over the\n"
      "# default machine's; after a run the state folder has it as registry-after.reg.\n"
      "# The C: drive is drive_c/.\n\n";
  for (const char* program : kSystemPrograms)
    text += std::string("program = C:\\Windows\\System32\\") + program + "|0|0\n";
  text += "\n";
  for (const MachineKey& k : kKeys) {
    text += "# " + std::string(k.meaning) + "\n# " + k.key + " = ";
    text += *k.initial != '\0' ? std::string(k.initial) : "(" + std::string(k.takes) + ")";
    text += "\n";
  }
  return text;
}

}  // namespace platform::sim
