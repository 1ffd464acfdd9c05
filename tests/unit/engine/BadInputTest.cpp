// Bad input to whole runs on the simulated machine: lines without a parameter their command
// needs, values that are not of their kind, and script files that are huge or not UTF-16
// text. Each gives its defined status, result and log line, and the working copy keeps what
// ran.
#include <map>
#include <random>

#include "setup/engine/Interpreter.h"
#include "setup/engine/ParameterDeclarations.h"
#include "setup/engine/RunStatus.h"
#include "setup/engine/ScriptFile.h"
#include "tests/unit/support/SetupTestSupport.h"

namespace setup {
namespace {

using Lines = std::vector<std::wstring>;

const std::wstring kSource = L"C:\\Media\\bad.crvdat";
const std::wstring kWorkingCopy = setuptest::kInstallFolder + L"bad.crvdat";
const std::wstring kGuid = L"{6B29FC40-CA47-1067-B31D-00DDC4CA4ED3}";
// A line after the one under test: marked only when the run went on.
const std::wstring kAfter = L"# after";

class BadInputTest : public setuptest::SetupTest {
 protected:
  BadInputTest() {
    processState().messageLanguage = 1033;
    sim().files().MakeFolders(setuptest::kInstallFolder);
    services_ = DefaultSessionServices();
    services_.cancelBackgroundCopyJobs = [this] { ++cancelled_; };
  }

  // Runs `bytes` as the script file with a fresh session; the log lines it wrote are in
  // runLog_.
  int RunBytes(const std::string& bytes) {
    sim().PutFile(kSource, bytes);
    const std::size_t logged = Log().size();
    SetupState state;
    state.isVistaOrLater = true;
    state.workingFolder = setuptest::kExeFolder;
    const int status = Interpret(state, {kSource, kWorkingCopy, L""}, services_);
    const std::vector<std::string> log = Log();
    runLog_.assign(log.begin() + static_cast<std::ptrdiff_t>(std::min(logged, log.size())), log.end());
    return status;
  }
  int Run(const Lines& lines) {
    std::wstring text(1, 0xFEFF);
    for (const std::wstring& line : lines) text += line + L"\r\n";
    return RunBytes(text::WideToUtf16Le(text));
  }
  bool RunLogged(const std::string& line) const {
    return std::find(runLog_.begin(), runLog_.end(), line) != runLog_.end();
  }
  std::vector<CommandParameters> WorkingCopy() {
    std::vector<CommandParameters> records;
    for (const std::wstring& text : ScriptLines(kWorkingCopy)) {
      records.emplace_back();
      records.back().Parse(text);
    }
    return records;
  }

  // The run's log, for a failure's message (lines too long to read left out).
  std::string DumpLog() const {
    std::string text;
    for (const std::string& line : runLog_)
      if (line.size() < 300) text += "\n  " + line;
    return text;
  }
  SessionServices services_;
  int cancelled_ = 0;
  std::vector<std::string> runLog_;
};

std::string Narrow(const std::wstring& text) { return text::WideToUtf8(text); }

// A well-formed value of `kind`, for the parameters a row keeps.
std::wstring SampleValue(const ParameterDeclaration& parameter) {
  switch (parameter.kind) {
    case ValueKind::Guid: return kGuid;
    case ValueKind::Path: return L"C:\\Media\\" + parameter.name;
    case ValueKind::Number: return L"1";
    case ValueKind::Flag: return L"no";
    case ValueKind::Choice: return parameter.choices.front();
    default: return L"x";
  }
}

// What a line lacking one required parameter gives: the run's status, the line's result
// (null: the line is left as it was written) and the log line that names the parameter.
struct MissingOutcome {
  int status;
  const wchar_t* result;
  std::string log;
};

// Keyed by "command parameter". Every required parameter of every command has its row: a
// command added to the table without one fails the test until its outcome is written here.
const std::map<std::wstring, MissingOutcome>& MissingOutcomes() {
  static const std::map<std::wstring, MissingOutcome> outcomes = {
      {L"copy-file source",
       {kRunFail, nullptr, "Error\tRunCommandCopyFile\tParameter 'source' not found for 'copy-file' command."}},
      {L"copy-file target",
       {kRunFail, nullptr, "Error\tRunCommandCopyFile\tParameter 'target' not found for 'copy-file' command."}},
      {L"download uri",
       {kRunFail, nullptr,
        "Error\tRunCommandDownload\tOne of the requried parameters is missing: 'uri' is '', 'name' "
        "is 'x' and 'file-path' is 'C:\\Media\\file-path'."}},
      {L"download name",
       {kRunFail, nullptr,
        "Error\tRunCommandDownload\tOne of the requried parameters is missing: 'uri' is 'x', "
        "'name' is '' and 'file-path' is 'C:\\Media\\file-path'."}},
      {L"download file-path",
       {kRunFail, nullptr,
        "Error\tRunCommandDownload\tOne of the requried parameters is missing: 'uri' is 'x', "
        "'name' is 'x' and 'file-path' is ''."}},
      {L"execute program",
       {kRunFail, nullptr, "Error\tBuildCommandLine\tParameter 'program' not found for 'execute' command."}},
      {L"if-installed upgrade-code",
       {kRunSuccess, L"success",
        "Error\tRunCommandIfInstalled\tParameter 'upgrade-code' not found for 'if-installed' command."}},
      {L"if-installed version",
       {kRunSuccess, L"success",
        "Error\tRunCommandIfInstalled\tParameter 'version' not found for 'if-installed' command."}},
      // A missing product counts as not installed: the block is entered and stays open.
      {L"if-not-installed upgrade-code",
       {kRunSuccess, L"",
        "Error\tRunCommandIfNotInstalled\tParameter 'upgrade-code' not found for 'if-not-installed' command."}},
      {L"if-not-installed version",
       {kRunSuccess, L"",
        "Error\tRunCommandIfNotInstalled\tParameter 'version' not found for 'if-not-installed' command."}},
      {L"read-registry-install-directory registry-path",
       {kRunSuccess, L"failure",
        "Error\tRunCommandReadRegistryInstallDirectory\tParameter 'registry-path' not found for "
        "'read-registry-install-directory' command."}},
      {L"set-event name",
       {kRunSuccess, L"success",
        "Error\tRunCommandSetEvent\tThe event name must be specified in the 'name' parameter for "
        "the 'set-event' command."}},
      {L"start-windows-service name",
       {kRunSuccess, L"success",
        "Error\tStartWindowsService\tFailed to open the service ''. Get last error returns 0x424."}},
      {L"uninstall product",
       {kRunSuccess, L"failure", "Info\tRunCommandUninstall\tUninstalling product '' with command line ''."}},
      {L"validate-folder-permissions folder",
       {kRunSuccess, L"success", "Error\tRunCommandValidateFolderPermissions\t'folder' parameter must be specified."}},
      // The write commands take the path as a subkey of HKEY_CURRENT_USER: none is the key
      // itself.
      {L"write-registry-dword registry-path",
       {kRunSuccess, L"success", "Info\tRunCommandWriteRegistryDWORD\tSetting registry key HKCU'' string named '' to '0'."}},
      {L"write-registry-string registry-path",
       {kRunSuccess, L"success", "Info\tRunCommandWriteRegistryString\tSetting registry key HKCU'' string named '' to ''."}},
  };
  return outcomes;
}

TEST_F(BadInputTest, EveryRequiredParameterMissingOrEmptyGivesItsDefinedOutcome) {
  std::size_t rows = 0;
  for (const CommandEntry& command : ProgramCommands().entries()) {
    if (!command.handler || command.parameters == nullptr) continue;
    const std::vector<ParameterDeclaration> declared = ParseParameterDeclarations(command.parameters);
    for (const ParameterDeclaration& missing : declared) {
      if (!missing.required) continue;
      const std::wstring key = command.name + L" " + missing.name;
      const auto expected = MissingOutcomes().find(key);
      if (expected == MissingOutcomes().end()) {
        ADD_FAILURE() << "no outcome written for a line of '" << Narrow(command.name)
                      << "' without '" << Narrow(missing.name) << "'";
        continue;
      }
      std::wstring kept = command.name;
      for (const ParameterDeclaration& other : declared)
        if (other.required && other.name != missing.name)
          kept += L"|" + other.name + L"=" + SampleValue(other);
      // Absent and empty read the same.
      for (const std::wstring& text : {kept, kept + L"|" + missing.name + L"="}) {
        SCOPED_TRACE(Narrow(text));
        ++rows;
        const MissingOutcome& outcome = expected->second;
        const int cancelledBefore = cancelled_;
        EXPECT_EQ(Run({text, kAfter}), outcome.status);
        // A failed run cancels its background downloads.
        EXPECT_EQ(cancelled_ - cancelledBefore, outcome.status == kRunFail ? 1 : 0);
        const std::vector<CommandParameters> copy = WorkingCopy();
        ASSERT_EQ(copy.size(), 2u);
        CommandParameters written;
        written.Parse(text);
        if (outcome.result == nullptr)
          EXPECT_EQ(copy[0].Serialize(), written.Serialize());
        else
          EXPECT_EQ(copy[0].Result(), outcome.result);
        EXPECT_EQ(copy[1].Result(), outcome.status == kRunFail ? L"" : L"success");
        EXPECT_TRUE(RunLogged(outcome.log)) << outcome.log << DumpLog();
      }
    }
  }
  EXPECT_EQ(rows, 2 * MissingOutcomes().size());
}

// A line with one malformed value: the run's status, the line's result (null: left as
// written) and the log line that tells what was made of the value.
struct MalformedValue {
  std::wstring line;
  int status;
  const wchar_t* result;
  std::string log;
};

TEST_F(BadInputTest, MalformedValuesGiveTheirDefinedOutcome) {
  const std::wstring dword = L"write-registry-dword|registry-path=Software\\T|registry-value-name=N|registry-value-data=";
  const std::string dwordLog = "Info\tRunCommandWriteRegistryDWORD\tSetting registry key HKCU'Software\\T' string named 'N' to '";
  const std::wstring installed = L"if-installed|version=1|upgrade-code=";
  const std::string enumFailed =
      "Error\tIsProductInstalled\tMsiEnumRelatedProductsW failed with return value 87 (ERROR_INVALID_PARAMETER).";
  const std::wstring runOnce = L"delete-registry-run-once|self=";
  const std::string neither =
      "Error\tRunCommandDeleteRegistryRunOnce\tEither the 'self' parameter or the 'registry-value-name' parameter must be specified.";
  const std::wstring longPath = L"C:\\Media\\" + std::wstring(300, L'a') + L".txt";
  // A program or folder not found is taken as relative to the executable's folder.
  const std::wstring longName = std::wstring(300, L'a') + L".exe";
  const std::string exeFolder = Narrow(setuptest::kExeFolder);
  const std::string seconds = "Error\tRunCommandWait\tParameter 'seconds' must be a number greater than 0, not '";
  const MalformedValue rows[] = {
      // Numbers: the leading decimal digits, 0 when there are none, limited to 32 bits.
      {dword + L"abc", kRunSuccess, L"success", dwordLog + "0'."},
      {dword + L"12abc", kRunSuccess, L"success", dwordLog + "12'."},
      {dword, kRunSuccess, L"success", dwordLog + "0'."},
      {dword + L" -5", kRunSuccess, L"success", dwordLog + "-5'."},
      {dword + L"99999999999", kRunSuccess, L"success", dwordLog + "2147483647'."},
      {dword + L"-99999999999", kRunSuccess, L"success", dwordLog + "-2147483648'."},
      // A pause must be a positive number of seconds: anything else fails the run.
      {L"wait|seconds=-1", kRunFail, nullptr, seconds + "-1'."},
      {L"wait|seconds=abc", kRunFail, nullptr, seconds + "abc'."},
      {L"wait|seconds=", kRunFail, nullptr, seconds + "'."},
      {L"wait|seconds=99999999999", kRunSuccess, L"success", "Info\tRunCommandWait\tWaiting for 2147483647 seconds."},
      // GUIDs: the installer refuses anything but a braced GUID; the product is then not
      // installed.
      {installed + L"{6B29FC40-CA47-1067-B31D-00DDC4CA4ED}", kRunSuccess, L"success", enumFailed},
      {installed + L"{6B29FC40-CA47-1067-B31D-00DDC4CA4EZ3}", kRunSuccess, L"success", enumFailed},
      {installed + L"6B29FC40-CA47-1067-B31D-00DDC4CA4ED3", kRunSuccess, L"success", enumFailed},
      {installed + L"{6b29fc40-ca47-1067-b31d-00ddc4ca4ed3}", kRunSuccess, L"success",
       "Info\tIsProductInstalled\tMsiEnumRelatedProductsW reports not installed (returned ERROR_NO_MORE_ITEMS)."},
      {L"uninstall|product=6B29FC40", kRunSuccess, L"failure",
       "Info\tRunCommandUninstall\tUninstalling product '6B29FC40' with command line ''."},
      // Flags: only "yes" is true.
      {runOnce + L"Yes", kRunSuccess, L"failure", neither},
      {runOnce + L"true", kRunSuccess, L"failure", neither},
      {runOnce + L"1", kRunSuccess, L"failure", neither},
      {runOnce + L" yes", kRunSuccess, L"failure", neither},
      {L"execute|program=gone.exe|if-exists=YES", kRunSuccess, L"failure",
       "Error\tRunCommandExecute\t'" + exeFolder + "gone.exe' does not exist, flagging for abort."},
      {L"execute|program=gone.exe|if-exists=yes", kRunSuccess, L"failure",
       "Info\tRunCommandExecute\t'" + exeFolder + "gone.exe' does not exist, 'if-exists' flag set to 'yes', skipping execution."},
      // Allowed words are compared exactly.
      {L"if-registry-check|registry-path=HKCU\\Software|registry-value-name=V|registry-value-data-is=not-equal",
       kRunSuccess, L"success", "Info\tRunCommandIfRegistryCheck\tSkipping if block."},
      {L"alert|message=m|icon=Error", kRunSuccess, L"success", "Warning\tTamberMessageBox\tUnrecognized icon type 'Error'."},
      // Paths: too long, with characters no file name holds, with an unknown special
      // folder, or a registry path with an unknown root.
      {L"copy-file|target=C:\\Out|source=" + longPath, kRunSuccess, L"failure",
       "Error\tRunCommandCopyFile\tSource file '" + Narrow(longPath) + "' not found, skipping command."},
      {L"copy-file|target=C:\\Out|source=C:\\Media\\a<b>?*.txt", kRunSuccess, L"failure",
       "Error\tRunCommandCopyFile\tSource file 'C:\\Media\\a<b>?*.txt' not found, skipping command."},
      {L"copy-file|target=C:\\Out|source=%Nowhere%\\a.txt", kRunSuccess, L"failure",
       "Error\tMakeSpecialFolderPath\tUnrecognized special folder in program parameter '%Nowhere%\\a.txt'."},
      {L"execute|program=" + longName, kRunSuccess, L"failure",
       "Error\tRunCommandExecute\t'" + exeFolder + Narrow(longName) + "' does not exist, flagging for abort."},
      {L"validate-folder-permissions|folder=a<b>*?", kRunSuccess, L"success",
       "Error\tRunCommandValidateFolderPermissions\tDirecotry '" + exeFolder + "a<b>*?' not found."},
      {L"if-registry-check|registry-path=HKXX\\Software", kRunSuccess, L"success",
       "Error\tCheckRegistry\tKey root not found in HKXX\\Software: 'registry-path', expected HKCR, HKCU, HKLM, HKU or HKCC."},
      {L"read-registry-install-directory|registry-path=hklm\\Software", kRunSuccess, L"failure",
       "Error\tReadRegistryString\tKey root not found in hklm\\Software: 'registry-path', expected HKCR, HKCU, HKLM, HKU or HKCC."},
  };
  for (const MalformedValue& row : rows) {
    SCOPED_TRACE(Narrow(row.line));
    const int cancelledBefore = cancelled_;
    EXPECT_EQ(Run({row.line, kAfter}), row.status);
    EXPECT_EQ(cancelled_ - cancelledBefore, row.status == kRunFail ? 1 : 0);
    const std::vector<CommandParameters> copy = WorkingCopy();
    ASSERT_EQ(copy.size(), 2u);
    CommandParameters written;
    written.Parse(row.line);
    if (row.result == nullptr)
      EXPECT_EQ(copy[0].Serialize(), written.Serialize());
    else
      EXPECT_EQ(copy[0].Result(), row.result);
    EXPECT_EQ(copy[1].Result(), row.status == kRunFail ? L"" : L"success");
    EXPECT_TRUE(RunLogged(row.log)) << row.log << DumpLog();
  }
}

// The lines a script file holds, read as the program reads it.
Lines ScriptFileLines(const std::string& bytes) {
  std::wstring text = text::Utf16LeToWide(bytes);
  if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
  return SplitScriptLines(text);
}

std::string Utf16File(const std::wstring& text) { return text::WideToUtf16Le(L"\xFEFF" + text); }

std::string RandomBytes(std::size_t count) {
  std::mt19937 random(20261209);
  std::string bytes(count, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
  return bytes;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr int kManyLines = 20000;  // the sanitizers are slow; the normal run takes a million
#else
constexpr int kManyLines = 1000000;
#endif

// A whole script file: what it is, its bytes, the run's status and a log line it gives.
struct ScriptFileCase {
  const char* what;
  std::string bytes;
  int status;
  std::string log;
};

const std::string kNotUtf16 =
    "Warning\tRun\tThe script does not start as UTF-16LE text; it is read as UTF-16LE all the same.";

TEST_F(BadInputTest, HugeOrUndecodableScriptFilesRunEveryLineTheyHoldAndKeepThemAll) {
  // Only warnings and errors are logged, as a log configured so would: a million lines of
  // Info would time the simulated disk rather than the interpreter.
  sim().registry().PutDword(platform::kHkeyCurrentUser, setuptest::kLogProgramKey, L"SeverityInfo", 0);
  logging::ResetLogForTesting();
  OpenLog();
  std::wstring many;
  for (int i = 1; i < kManyLines; ++i) many += L"# " + std::to_wstring(i) + L"\r\n";
  many += L"last";
  const std::wstring longLine = L"frobnicate|x=" + std::wstring(5 * 1024 * 1024, L'a');
  const std::string utf8 = "# one\r\nsave\r\n";
  const ScriptFileCase cases[] = {
      {"a million lines", Utf16File(many), kRunSuccess, "Warning\tRun\tUnhandled command: 'last'."},
      {"a single line of 10 MB", Utf16File(longLine), kRunSuccess,
       // A log message is cut to 4,095 characters.
       "Warning\tRun\t" + Narrow((L"Unhandled command: '" + longLine).substr(0, 4095))},
      {"random bytes", RandomBytes(65536), kRunSuccess, kNotUtf16},
      {"UTF-8 without a byte-order mark", utf8, kRunSuccess, kNotUtf16},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + utf8, kRunSuccess, kNotUtf16},
      {"UTF-16BE with a byte-order mark", "\xFE\xFF" + std::string("\0#\0 \0o\0n\0e\0\r\0\n", 14),
       kRunSuccess, kNotUtf16},
      {"an odd byte count", Utf16File(L"# one\r\nsave\r\n") + "x", kRunSuccess,
       "Warning\tRun\tThe script ends in half a character; its last byte is ignored."},
  };
  for (const ScriptFileCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(RunBytes(c.bytes), c.status);
    EXPECT_TRUE(RunLogged(c.log)) << c.log.substr(0, 200);
    // Every line ran, and the working copy holds it as it was read, with its result.
    const Lines read = ScriptFileLines(c.bytes);
    const std::vector<CommandParameters> copy = WorkingCopy();
    ASSERT_EQ(copy.size(), read.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
      CommandParameters line = copy[i];
      const std::wstring result = line.Result();
      ASSERT_TRUE(result == L"success" || result == L"failure") << "line " << i + 1;
      line.RemoveParameter(L"result");
      CommandParameters original;
      original.Parse(read[i]);
      original.RemoveParameter(L"result");
      ASSERT_EQ(line.Serialize(), original.Serialize()) << "line " << i + 1;
    }
  }
}

}  // namespace
}  // namespace setup
