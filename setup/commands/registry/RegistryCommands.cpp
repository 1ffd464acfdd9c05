// The six registry commands of a script.
#include "setup/commands/registry/RegistryCommands.h"

#include "logging/Log.h"
#include "platform/RegistryKey.h"
#include "setup/commands/registry/RegistryValues.h"
#include "setup/engine/Blocks.h"
#include "setup/engine/CommandOutcomes.h"
#include "setup/engine/DecimalParameter.h"
#include "setup/engine/ParameterDeclarations.h"
#include "setup/session/CommandLineBuilder.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "RegistryCommands";

// A "file-path" value: a leading special folder rendered, and then quoted when it holds a
// blank; a plain path as written. Nothing when it names an unknown special folder.
std::optional<std::wstring> FilePathData(const SetupState& state, std::wstring path) {
  bool error = false;
  const bool rendered = MakeSpecialFolderPath(state, &path, &error);
  if (error) return std::nullopt;
  if (rendered && path.find(L' ') != std::wstring::npos) return L"\"" + path + L"\"";
  return path;
}

// The data "write-registry-string" writes, from the first of "program", "file-path" and
// "registry-value-data" the line has. Nothing when a path names an unknown special folder.
std::optional<std::wstring> StringData(const CommandParameters& line, const SetupState& state) {
  if (line.HasParameter(L"program")) {
    const CommandLineParts parts = BuildCommandLine(state, line, false);
    if (parts.error) return std::nullopt;
    return parts.commandLine;
  }
  if (line.HasParameter(L"file-path")) return FilePathData(state, line.GetParameter(L"file-path"));
  return line.GetParameter(L"registry-value-data");
}

}  // namespace

bool RunCommandIfRegistryCheck(CommandParameters& line) {
  if (CheckRegistry(line)) return true;
  TAMBER_LOG(Info, L"RunCommandIfRegistryCheck", L"Skipping if block.");
  line.SetResult(LineResult::Success);
  return false;
}

void RunCommandReadRegistryInstallDirectory(CommandParameters& line, SetupState& state) {
  TAMBER_LOG(Info, L"RunCommandReadRegistryInstallDirectory",
             L"Reading the installer-set install directory from the registry.");
  // The reader fails an empty path without a word; the line says what it lacks.
  if (line.GetParameter(L"registry-path").empty())
    TAMBER_LOG(Error, L"RunCommandReadRegistryInstallDirectory",
               L"Parameter '%s' not found for '%s' command.", L"registry-path", line.CommandName());
  std::wstring folder;
  if (!ReadRegistryString(line.GetParameter(L"registry-path"),
                          line.GetParameter(L"registry-value-name"), &folder))
    return;
  state.installDirectory = folder;
  line.SetResult(LineResult::Repeat);
}

void RunCommandWriteRegistryString(CommandParameters& line, const SetupState& state) {
  const std::optional<std::wstring> data = StringData(line, state);
  if (!data) return;
  const std::wstring path = line.GetParameter(L"registry-path");
  const std::wstring name = line.GetParameter(L"registry-value-name");
  TAMBER_LOG(Info, L"RunCommandWriteRegistryString",
             L"Setting registry key HKCU'%s' string named '%s' to '%s'.", path, name, *data);
  const platform::ScopedRegKey key = CreateUserKeyForWriting(path);
  if (!name.empty() || !data->empty())
    ThrowIfRegistryFailed(platform::SetStringValue(key.get(), name, *data));
  line.SetResult(LineResult::Success);
}

void RunCommandWriteRegistryDWORD(CommandParameters& line) {
  const std::wstring path = line.GetParameter(L"registry-path");
  const std::wstring name = line.GetParameter(L"registry-value-name");
  const std::int32_t number = ParseDecimalParameter(line.GetParameter(L"registry-value-data"));
  TAMBER_LOG(Info, L"RunCommandWriteRegistryDWORD",
             L"Setting registry key HKCU'%s' string named '%s' to '%d'.", path, name, number);
  const platform::ScopedRegKey key = CreateUserKeyForWriting(path);
  ThrowIfRegistryFailed(platform::SetDwordValue(key.get(), name, static_cast<std::uint32_t>(number)));
  line.SetResult(LineResult::Success);
}

void RunCommandWriteRegistryRunOnce(CommandParameters& line, const SetupState& state,
                                    const std::wstring& workingCopy) {
  if (line.IsYes(L"self")) {
    WriteRunOnceRegistryValue(std::wstring(), std::wstring(), workingCopy);
  } else {
    const CommandLineParts parts = BuildCommandLine(state, line, false);  // fatal without program
    if (parts.error) return;
    const std::wstring name = line.HasParameter(L"registry-value-name")
                                  ? line.GetParameter(L"registry-value-name")
                                  : std::wstring(kSelfRunOnceValueName);
    WriteRunOnceRegistryValue(parts.commandLine, name, workingCopy);
  }
  line.SetResult(LineResult::Success);
}

void RunCommandDeleteRegistryRunOnce(CommandParameters& line) {
  const std::wstring name =
      line.IsYes(L"self") ? kSelfRunOnceValueName : line.GetParameter(L"registry-value-name");
  if (name.empty()) {
    TAMBER_LOG(Error, L"RunCommandDeleteRegistryRunOnce",
               L"Either the '%s' parameter or the '%s' parameter must be specified.", L"self",
               L"registry-value-name");
    return;
  }
  DeleteRegistryRunOnce(name);
  line.SetResult(LineResult::Success);
}

namespace {

Flow RunIfRegistryCheck(RunFrame& frame, CommandParameters& line) {
  return SkipBlockUnless(frame, RunCommandIfRegistryCheck(line));
}

// "write-registry-run-once" registers this program with the run's working copy.
Flow RunWriteRegistryRunOnce(RunFrame& frame, CommandParameters& line) {
  RunCommandWriteRegistryRunOnce(line, frame.state, frame.workingCopy);
  return Flow::Next;
}

}  // namespace

CommandRows RegistryCommandRows() {
  static const CommandRow kRows[] = {
      {L"delete-registry-run-once", LineOnly<RunCommandDeleteRegistryRunOnce>, kPlainCommand,
       nullptr, L"self:flag registry-value-name"},
      {L"if-registry-check", RunIfRegistryCheck, kConditional | kSetsOwnResult, nullptr,
       TAMBER_REGISTRY_CHECK_PARAMETERS},
      {L"read-registry-install-directory", Plain<RunCommandReadRegistryInstallDirectory>,
       kRunsEveryRun, nullptr, L"registry-path! registry-value-name"},
      {L"write-registry-string", Plain<RunCommandWriteRegistryString>, kPlainCommand, nullptr,
       L"registry-path! registry-value-name registry-value-data file-path:path"},
      {L"write-registry-dword", LineOnly<RunCommandWriteRegistryDWORD>, kPlainCommand, nullptr,
       L"registry-path! registry-value-name registry-value-data:number"},
      {L"write-registry-run-once", RunWriteRegistryRunOnce, kPlainCommand, nullptr,
       L"self:flag program:path registry-value-name" TAMBER_COMMAND_LINE_PARAMETERS},
  };
  return RowsOf(kRows);
}

}  // namespace setup
