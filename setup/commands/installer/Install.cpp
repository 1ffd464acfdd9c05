// "install": one Windows Installer package, copied into the installers folder, checked for
// its signature and installed with the run's language transform.
#include "logging/Log.h"
#include "platform/CurrentProcess.h"
#include "platform/Files.h"
#include "platform/Installer.h"
#include "platform/Machine.h"
#include "platform/UserInterface.h"
#include "setup/commands/installer/InstallerCommands.h"
#include "setup/session/CommandLineBuilder.h"
#include "setup/session/LastErrorReport.h"
#include "setup/session/Messages.h"
#include "setup/session/Paths.h"
#include "text/Format.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Tamber4Setup";
const wchar_t kCategory[] = L"RunCommandInstall";

struct UiLevelName {
  const wchar_t* keyword;
  std::uint32_t level;
};
const UiLevelName kUiLevels[] = {{L"default", 1},     {L"none", 2},         {L"basic", 3},
                                 {L"reduced", 4},     {L"full", 5},         {L"enddialog", 128},
                                 {L"progressonly", 64}, {L"hidecancel", 32}, {L"sourceresonly", 256}};
constexpr std::uint32_t kBasicUiLevel = 3;

std::uint32_t ChooseUiLevel(const CommandParameters& line, const SetupState& state) {
  if (state.quiet) {
    TAMBER_LOG(Info, kCategory,
               L"Overriding Windows Installer UI level, setting to basic (-quiet command line switch specified).");
    return kBasicUiLevel;
  }
  const std::wstring keyword = line.GetParameter(L"ui-level");
  for (const UiLevelName& entry : kUiLevels)
    if (keyword == entry.keyword) return entry.level;
  return kBasicUiLevel;
}

// The package's path; false when it names an unknown special folder.
bool PackagePath(const SetupState& state, std::wstring* path) {
  bool error = false;
  if (!MakeSpecialFolderPath(state, path, &error) && !error) *path = state.workingFolder + *path;
  return !error;
}

// Two paths name one file only when both exist and their volume and file index match.
bool NameSameFile(const std::wstring& a, const std::wstring& b) {
  platform::FileIdentity first, second;
  platform::Installer& installer = platform::installer();
  return installer.FileIdentityOf(a, &first) && installer.FileIdentityOf(b, &second) &&
         first.volumeSerial == second.volumeSerial && first.fileIndex == second.fileIndex;
}

// The file to install: the copy in the installers folder, or the package itself when it
// is already there or cannot be copied.
std::wstring LocalCopy(const SetupState& state, const std::wstring& package) {
  const std::wstring folder = state.targetFolder + L"Installers\\";
  platform::files().MakeDirectory(folder);
  const std::wstring copy = folder + FileNamePart(package);
  if (NameSameFile(package, copy)) return copy;
  TAMBER_LOG(Info, kCategory, L"Copying source installer file from '%s' to '%s'.", package, copy);
  if (platform::files().Copy(package, copy, false)) return copy;
  const LastErrorReport failure;
  TAMBER_LOG(Error, kCategory, L"Copy failed, installing from '%s'. Error code 0x%X, '%s'.", package,
             failure.code, failure.text);
  return package;
}

// Checks the signature; false when the file hash does not match (the package is refused).
bool SignatureAllowsInstall(const std::wstring& file) {
  platform::Installer& installer = platform::installer();
  platform::Certificate certificate = 0;
  std::uint32_t hashBytes = 0;
  const platform::HResult code = installer.FileSignatureInformation(
      file, platform::msi::InvalidHashIsFatal, &certificate, &hashBytes);
  installer.FreeCertificate(certificate);
  switch (static_cast<std::uint32_t>(code)) {
    case 0:
      TAMBER_LOG(Info, kCategory, L"Verified digital signature and file hash of '%s'.", file);
      return true;
    case 0x80096010u:
      TAMBER_LOG(Error, kCategory,
                 L"Installer file's file hash does not match that stored in its digital signature: '%s'.", file);
      return false;
    case 0x800B0100u:
      TAMBER_LOG(Warning, kCategory,
                 L"Installer file is not digitally signed, could not verify file hash: '%s'.", file);
      return true;
    case 0x800B010Cu:
      TAMBER_LOG(Warning, kCategory, L"Installer file is signed with a certificate which has been revoked.");
      return true;
    case platform::msi::FunctionFailed:
      TAMBER_LOG(Warning, kCategory,
                 L"WinVerifyTrus is not installed on this system, could not verify digital signature and file hash of '%s'.",
                 file);
      return true;
    default:
      TAMBER_LOG(Warning, kCategory,
                 L"Unexpected result when verifying digital signature of '%s', return code is 0x%X.", file,
                 static_cast<std::uint32_t>(code));
      return true;
  }
}

void ShowLineBox(const CommandParameters& line, const std::wstring& text) {
  if (text.empty()) return;
  const std::wstring title = LookupMessage(line.GetParameter(L"message-id-title"), line.GetParameter(L"title"));
  TamberMessageBox(title, text, line.GetParameter(L"icon"), platform::mb::UserIcon);
}

void RefuseTamperedPackage(const CommandParameters& line, SetupState& state, const std::wstring& name) {
  state.abortRequested = true;
  std::wstring text = LookupMessage(line.GetParameter(L"message-id-hash-mismatch"),
                                    line.GetParameter(L"message-hash-mismatch"));
  const std::size_t placeholder = text.find(L"%NAME%");
  if (placeholder != std::wstring::npos) text.replace(placeholder, 6, name);
  ShowLineBox(line, text);
}

void FlagAbort(const CommandParameters& line, SetupState& state) {
  TAMBER_LOG(Error, kCategory,
             L"The Windows Installer return code must be ERROR_SUCCESS (%d) to succeed. Flagging for abort.", 0);
  ShowLineBox(line, LookupMessage(line.GetParameter(L"message-id-message"), line.GetParameter(L"message")));
  state.abortRequested = true;
}

}  // namespace

void RunCommandInstall(CommandParameters& line, SetupState& state) {
  const std::wstring name = LookupMessage(line.GetParameter(L"message-id-name"), line.GetParameter(L"name"));
  const std::uint32_t level = ChooseUiLevel(line, state);
  std::wstring package = line.GetParameter(L"package");
  if (!PackagePath(state, &package) || !IsExistingFile(package)) {
    TAMBER_LOG(Error, kCategory, L"Installer file not found '%s', skipping installation.", package);
    return;
  }
  const std::wstring file = LocalCopy(state, package);
  if (!SignatureAllowsInstall(file)) return RefuseTamperedPackage(line, state, name);
  const std::wstring commandLine = line.GetParameter(L"command-line") + TransformArgument(state, line);
  TAMBER_LOG(Info, kCategory, L"Installing package '%s' with command line '%s', UI level '%d'.", file,
             commandLine, level);
  platform::installer().SetInternalUi(level);
  const platform::Win32Error r = platform::installer().InstallProduct(file, commandLine);
  const bool succeeded = r == platform::err::Success || r == platform::msi::SuccessRebootRequired;
  const LineResult result = succeeded ? LineResult::Success : LineResult::Failure;
  TAMBER_LOG(Info, kCategory, L"MsiInstallProductW returned %d: %s", r, ResultWord(result));
  line.SetResult(result);
  line.SetParameter(L"msi-result", text::DecimalText(r));
  if (r == platform::msi::SuccessRebootRequired) {
    TAMBER_LOG(Info, kCategory, L"Flagging for reboot at next reboot command.");
    state.rebootMode = kRebootWhenConvenient;
  }
  if (!succeeded && line.IsYes(L"abort-on-failure")) FlagAbort(line, state);
}

}  // namespace setup
