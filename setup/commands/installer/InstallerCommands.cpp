#include "setup/commands/installer/InstallerCommands.h"

#include "logging/Log.h"
#include "platform/Files.h"
#include "platform/Installer.h"
#include "platform/Machine.h"
#include "setup/engine/Blocks.h"
#include "setup/engine/CommandOutcomes.h"
#include "setup/engine/DecimalParameter.h"
#include "setup/engine/ParameterDeclarations.h"
#include "setup/session/VersionCompare.h"
#include "text/Format.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "Tamber4Setup";

// "not " unless `code` is `expected`: the tail of the failure messages.
const wchar_t* NotUnless(platform::Win32Error code, platform::Win32Error expected) {
  return code == expected ? L"" : L"not ";
}

bool CheckProduct(CommandParameters& line, const wchar_t* command, const wchar_t* category,
                  bool* installed) {
  *installed = false;
  const std::wstring upgradeCode = line.GetParameter(L"upgrade-code");
  if (upgradeCode.empty()) {
    TAMBER_LOG(Error, category, L"Parameter '%s' not found for '%s' command.", L"upgrade-code", command);
    return false;
  }
  const std::wstring version = line.GetParameter(L"version");
  if (version.empty()) {
    TAMBER_LOG(Error, category, L"Parameter '%s' not found for '%s' command.", L"version", command);
    return false;
  }
  *installed = IsProductInstalled(upgradeCode, version);
  return true;
}

bool EnterBlockOrSkip(CommandParameters& line, const wchar_t* category, bool enter) {
  if (enter) return true;
  TAMBER_LOG(Info, category, L"Skipping if block.");
  line.SetResult(LineResult::Success);
  return false;
}

}  // namespace

std::wstring TransformArgument(const SetupState& state, const CommandParameters& line) {
  const std::wstring transform = line.HasParameter(L"transform-langid")
                                     ? GetTransformOverride(state, line)
                                     : state.transformName;
  return transform.empty() ? std::wstring() : L" TRANSFORMS=:" + transform;
}

std::wstring GetTransformOverride(const SetupState& state, const CommandParameters& line) {
  const std::int32_t id = ParseDecimalParameter(line.GetParameter(L"transform-langid"));
  // Only a 16-bit language id can name an entry: cut down to 16 bits, 68618 would pass for
  // Spanish (3082).
  auto entry = id >= 0 && id <= 0xFFFF ? state.transformsByLanguage.find(static_cast<platform::LangId>(id))
                                       : state.transformsByLanguage.end();
  if (entry != state.transformsByLanguage.end() && !entry->second.empty()) {
    TAMBER_LOG(Info, L"GetTransformOverride",
               L"Using transform file '%s' specified by the '%s' parameter's 0x%04x value.",
               entry->second, L"transform-langid", static_cast<std::uint32_t>(id));
    return entry->second;
  }
  TAMBER_LOG(Warning, L"GetTransformOverride",
             L"Transform Language ID '0x%04x' specified by the '%s' parameter is not supported by this installer.",
             static_cast<std::uint32_t>(id), L"transform-langid");
  return state.transformName;
}

bool IsProductInstalled(const std::wstring& upgradeCode, const std::wstring& version) {
  const wchar_t kCategory[] = L"IsProductInstalled";
  bool installed = false;
  TAMBER_LOG(Info, kCategory,
             L"Calling MsiEnumRelatedProductsW with Upgrade Code '%s' to find the installed msi.",
             upgradeCode);
  platform::Installer& installer = platform::installer();
  std::wstring product;
  const platform::Win32Error found = installer.EnumRelatedProducts(upgradeCode, 0, &product);
  if (found == platform::err::Success) {
    TAMBER_LOG(Info, kCategory, L"Found installed msi with Product Code '%s'.", product);
    std::wstring installedVersion;
    const platform::Win32Error read =
        installer.GetProductInfo(product, L"VersionString", 50, &installedVersion);
    if (read == platform::err::Success)
      installed = CompareVersionStrings(version, installedVersion) <= 0;
    else
      TAMBER_LOG(Error, kCategory,
                 L"MsiGetProductInfoW called with 'VersionString' failed with return value %d (%sERROR_UNKNOWN_PROPERTY).",
                 read, NotUnless(read, platform::msi::UnknownProperty));
  } else if (found == platform::err::NoMoreItems) {
    TAMBER_LOG(Info, kCategory, L"MsiEnumRelatedProductsW reports not installed (returned ERROR_NO_MORE_ITEMS).");
  } else {
    TAMBER_LOG(Error, kCategory,
               L"MsiEnumRelatedProductsW failed with return value %d (%sERROR_INVALID_PARAMETER).",
               found, NotUnless(found, platform::err::InvalidParameter));
  }
  TAMBER_LOG(Info, kCategory, L"Product is%sinstalled.", installed ? L" " : L" not ");
  return installed;
}

bool RunCommandIfInstalled(CommandParameters& line) {
  bool installed = false;
  CheckProduct(line, L"if-installed", L"RunCommandIfInstalled", &installed);
  return EnterBlockOrSkip(line, L"RunCommandIfInstalled", installed);
}

bool RunCommandIfNotInstalled(CommandParameters& line) {
  bool installed = false;
  CheckProduct(line, L"if-not-installed", L"RunCommandIfNotInstalled", &installed);
  return EnterBlockOrSkip(line, L"RunCommandIfNotInstalled", !installed);
}

void RunCommandUninstall(CommandParameters& line, SetupState& state) {
  const std::wstring product = line.GetParameter(L"product");
  const std::wstring commandLine = line.GetParameter(L"command-line") + TransformArgument(state, line);
  TAMBER_LOG(Info, L"RunCommandUninstall", L"Uninstalling product '%s' with command line '%s'.",
             product, commandLine);
  const platform::Win32Error result = platform::installer().ConfigureProduct(
      product, platform::msi::DefaultInstallLevel, platform::msi::InstallStateAbsent, commandLine);
  const bool succeeded = result == platform::err::Success || result == platform::msi::SuccessRebootRequired;
  line.SetResult(succeeded ? LineResult::Success : LineResult::Failure);
  line.SetParameter(L"msi-result", text::DecimalText(result));
  if (result == platform::msi::SuccessRebootRequired) state.rebootMode = kRebootWhenConvenient;
}

void RunCommandEnableMSILog(CommandParameters& line, SetupState& state) {
  const wchar_t kCategory[] = L"RunCommandEnableMSILog";
  LineResult outcome = LineResult::Success;
  if (logging::LogSeverityMask.load() == 0 && !line.IsYes(L"force")) {
    TAMBER_LOG(Info, kCategory,
               L"Logging is not enabled and the force parameter was not specified, not enabling msi logging.");
  } else {
    platform::files().MakeDirectory(state.loggingFolder);
    const std::int32_t mode = ParseDecimalParameter(line.GetParameter(L"log-mode"));
    const std::wstring path = state.loggingFolder + line.GetParameter(L"file-path");
    TAMBER_LOG(Info, kCategory, L"Enabling Windows Installer logging with log mode '%d' to '%s'.", mode, path);
    const platform::Win32Error result =
        platform::installer().EnableLog(static_cast<std::uint32_t>(mode), path, 0);
    if (result == platform::err::Success) {
      TAMBER_LOG(Info, kCategory, L"MsiEnableLogW succeeded.");
    } else {
      TAMBER_LOG(Error, kCategory, L"MsiEnableLogW failed with return value %d (%sERROR_INVALID_PARAMETER).",
                 result, NotUnless(result, platform::err::InvalidParameter));
      outcome = LineResult::Failure;
    }
  }
  if (state.inElevatedSection)
    line.RemoveParameter(L"result");
  else
    line.SetResult(outcome);
}

namespace {

Flow RunIfInstalled(RunFrame& frame, CommandParameters& line) {
  return SkipBlockUnless(frame, RunCommandIfInstalled(line));
}

Flow RunIfNotInstalled(RunFrame& frame, CommandParameters& line) {
  return SkipBlockUnless(frame, RunCommandIfNotInstalled(line));
}

}  // namespace

CommandRows InstallerCommandRows() {
  static const CommandRow kRows[] = {
      {L"enable-msi-log", Plain<RunCommandEnableMSILog>, kPlainCommand, nullptr,
       L"log-mode:number file-path force:flag"},
      {L"if-installed", RunIfInstalled, kConditional | kSetsOwnResult, nullptr,
       L"upgrade-code!:guid version!"},
      {L"if-not-installed", RunIfNotInstalled, kConditional | kSetsOwnResult, nullptr,
       L"upgrade-code!:guid version!"},
      {L"install", Plain<RunCommandInstall>, kDelegated, nullptr,
       L"package:path command-line name message-id-name:message-id transform-langid:number"
       L" message-hash-mismatch message-id-hash-mismatch:message-id abort-on-failure:flag"
       L" msi-result ui-level:default/none/basic/reduced/full/enddialog/progressonly/"
       L"hidecancel/sourceresonly" TAMBER_BOX_PARAMETERS},
      {L"uninstall", Plain<RunCommandUninstall>, kPlainCommand, nullptr,
       L"product!:guid command-line transform-langid:number msi-result"},
  };
  return RowsOf(kRows);
}

}  // namespace setup
