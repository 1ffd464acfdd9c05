// Registry reads, checks and writes of a script against the simulated registry.
#include <gtest/gtest.h>

#include "ComUtil/IssueError.h"
#include "setup/commands/registry/RegistryCommands.h"
#include "tests/unit/support/SimSessionSupport.h"
#include "text/Utf.h"

namespace {

using namespace sessiontest;
using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;

const std::wstring kProduct = L"Software\\Corvane\\Tamber";
const std::wstring kRunOnce = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

class RegistryCommands : public SessionTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(logging::OpenLog(0, true, true));
    state_.workingFolder = L"C:\\Users\\User\\Downloads\\";
    registry().PutString(kHkeyLocalMachine, kProduct, L"Version", L"4.2.1");
    registry().PutString(kHkeyLocalMachine, kProduct, L"Edition", L"ABC");
    registry().PutDword(kHkeyLocalMachine, kProduct, L"Build", 120);
  }

  setup::CommandParameters& Line(const std::wstring& text) {
    line_.Parse(text);
    return line_;
  }
  // The condition of a line made of "registry-path=HKLM\<kProduct>" and `rest`.
  bool Check(const std::wstring& rest) {
    return setup::CheckRegistry(Line(L"if-registry-check|registry-path=HKLM\\" + kProduct + rest));
  }
  std::wstring Result() const { return line_.GetParameter(L"result"); }
  std::optional<std::wstring> UserString(const std::wstring& path, const std::wstring& name) {
    return registry().GetString(kHkeyCurrentUser, path, name);
  }
  platform::sim::SimRegistry& registry() { return sim().registry(); }

  setup::SetupState state_;
  setup::CommandParameters line_;
};

TEST_F(RegistryCommands, AMissingValueIsLessThanAnyData) {
  EXPECT_TRUE(Check(L"|registry-value-name=Gone|registry-value-data=1|registry-value-data-is=less-than"));
  EXPECT_TRUE(Check(L"|registry-value-name=Gone|registry-value-data=1|registry-value-data-is=less-than-or-equal"));
  EXPECT_FALSE(Check(L"|registry-value-name=Gone|registry-value-data=1|registry-value-data-is=greater-than"));
  EXPECT_FALSE(Check(L"|registry-value-name=Gone|registry-value-data=1|registry-value-data-is=equal-to"));
  EXPECT_TRUE(Logged("Info\tCheckRegistry\tKey 'Software\\Corvane\\Tamber' value 'Gone' not found."));
  // A missing key counts the same way.
  EXPECT_TRUE(setup::CheckRegistry(Line(L"if-registry-check|registry-path=HKCU\\Software\\Gone|"
                                        L"registry-value-name=V|registry-value-data-is=less-than")));
  EXPECT_TRUE(Logged("Info\tCheckRegistry\tKey 'Software\\Gone' not found. (GetLastError reports 0x2.)"));
  EXPECT_EQ(CountLogged("Info\tCheckRegistry\tReturning true"), 3);
  EXPECT_EQ(CountLogged("Info\tCheckRegistry\tReturning false"), 2);
}

TEST_F(RegistryCommands, WithoutPathValueNameOrDataTheCheckIsTrue) {
  EXPECT_TRUE(setup::CheckRegistry(Line(L"if-registry-check|registry-value-data-is=greater-than")));
  EXPECT_TRUE(Check(L"|registry-value-data-is=greater-than"));
  EXPECT_TRUE(Logged("Info\tCheckRegistry\tRegistry key 'HKLM\\Software\\Corvane\\Tamber' found."));
  EXPECT_TRUE(Check(L"|registry-value-name=Version|registry-value-data-is=greater-than"));
  EXPECT_TRUE(Logged("Info\tCheckRegistry\tKey's value named 'Version' found."));
}

TEST_F(RegistryCommands, RootPrefixesAreCaseSensitive) {
  EXPECT_FALSE(setup::CheckRegistry(Line(L"if-registry-check|registry-path=hklm\\" + kProduct)));
  EXPECT_TRUE(Logged("Error\tCheckRegistry\tKey root not found in hklm\\Software\\Corvane\\Tamber: "
                     "'registry-path', expected HKCR, HKCU, HKLM, HKU or HKCC."));
  EXPECT_EQ(CountLogged("Info\tCheckRegistry\tReturning"), 0);
}

TEST_F(RegistryCommands, NumbersVersionsAndTexts) {
  // A number compares the DWORD; a value of another type reads as 0.
  EXPECT_TRUE(Check(L"|registry-value-name=Build|registry-value-data=100|compare-as-number=yes|"
                    L"registry-value-data-is=greater-than"));
  EXPECT_TRUE(Logged("Info\tCheckRegistry\tValue in registry: '120', compare result 20."));
  EXPECT_TRUE(Check(L"|registry-value-name=Version|registry-value-data=1|compare-as-number=yes|"
                    L"registry-value-data-is=less-than"));
  EXPECT_TRUE(Logged("Info\tCheckRegistry\tValue in registry: '0', compare result -1."));
  // Build 120 is not "100" as text: without compare-as-number the texts differ.
  EXPECT_FALSE(Check(L"|registry-value-name=Build|registry-value-data=120"));
  EXPECT_TRUE(Check(L"|registry-value-name=Build|registry-value-data=120|compare-as-number=yes"));

  // 4.2.1 is older than 4.10 as a version, though greater as text.
  EXPECT_TRUE(Check(L"|registry-value-name=Version|registry-value-data=4.10|compare-as-version=yes|"
                    L"registry-value-data-is=less-than"));
  EXPECT_TRUE(Check(L"|registry-value-name=Version|registry-value-data=4.10|registry-value-data-is=greater-than"));
  EXPECT_TRUE(Logged("Info\tCheckRegistry\tValue in registry: '4.2.1', compare result 1."));

  // Texts compare by code unit: upper case sorts first.
  EXPECT_TRUE(Check(L"|registry-value-name=Edition|registry-value-data=abc|registry-value-data-is=less-than"));
  EXPECT_FALSE(Check(L"|registry-value-name=Edition|registry-value-data=abc"));
  EXPECT_TRUE(Check(L"|registry-value-name=Edition|registry-value-data=ABC|registry-value-data-is=greater-than-or-equal"));
}

TEST_F(RegistryCommands, NumbersFarApartKeepTheirOrder) {
  registry().PutDword(kHkeyLocalMachine, kProduct, L"Big", 0x7FFFFFFF);
  EXPECT_TRUE(Check(L"|registry-value-name=Big|registry-value-data=-1|compare-as-number=yes|"
                    L"registry-value-data-is=greater-than"));
  EXPECT_TRUE(Logged("Info\tCheckRegistry\tValue in registry: '2147483647', compare result 2147483647."));
  registry().PutDword(kHkeyLocalMachine, kProduct, L"Negative", 0xFFFFFFFF);
  EXPECT_TRUE(Check(L"|registry-value-name=Negative|registry-value-data=-1|compare-as-number=yes"));
}

TEST_F(RegistryCommands, ExpandableTextsAreExpandedOtherTypesReadEmpty) {
  sim().system().SetVariable(L"TAMBERROOT", L"D:\\T");
  registry().PutString(kHkeyLocalMachine, kProduct, L"Root", L"%TAMBERROOT%\\bin", platform::reg::ExpandSz);
  EXPECT_TRUE(Check(L"|registry-value-name=Root|registry-value-data=D:\\T\\bin"));
  std::wstring text = L"old";
  EXPECT_TRUE(setup::ReadRegistryString(L"HKLM\\" + kProduct, L"Build", &text));
  EXPECT_EQ(text, L"");
}

TEST_F(RegistryCommands, AnUnknownOperatorIsAnErrorAndFalse) {
  EXPECT_FALSE(Check(L"|registry-value-name=Edition|registry-value-data=XYZ|registry-value-data-is=not-equal"));
  EXPECT_TRUE(Logged("Error\tCheckRegistry\tUnrecognized comparison operator 'not-equal' for "
                     "registry-value-data-is."));
  EXPECT_TRUE(Logged("Info\tCheckRegistry\tReturning false"));
}

TEST_F(RegistryCommands, IfRegistryCheckMarksOnlyASkippedBlock) {
  EXPECT_TRUE(setup::RunCommandIfRegistryCheck(Line(L"if-registry-check|registry-path=HKLM\\" + kProduct)));
  EXPECT_FALSE(line_.HasParameter(L"result"));
  EXPECT_FALSE(setup::RunCommandIfRegistryCheck(Line(L"if-registry-check|registry-path=HKLM\\Gone")));
  EXPECT_EQ(Result(), L"success");
  EXPECT_TRUE(Logged("Info\tRunCommandIfRegistryCheck\tSkipping if block."));
}

TEST_F(RegistryCommands, ReadingTheInstallDirectory) {
  registry().PutString(kHkeyLocalMachine, kProduct, L"", L"C:\\Program Files\\Tamber 4");
  Line(L"read-registry-install-directory|registry-path=HKLM\\" + kProduct + L"|result=failure");
  setup::RunCommandReadRegistryInstallDirectory(line_, state_);
  EXPECT_EQ(state_.installDirectory, L"C:\\Program Files\\Tamber 4");
  EXPECT_EQ(Result(), L"repeat");
  EXPECT_TRUE(Logged("Info\tRunCommandReadRegistryInstallDirectory\tReading the installer-set "
                     "install directory from the registry."));
  EXPECT_TRUE(Logged("Info\tReadRegistryString\tKey's default value is 'C:\\Program Files\\Tamber 4'."));

  // A failed read keeps what an earlier line read and the preset result.
  Line(L"read-registry-install-directory|registry-path=HKLM\\" + kProduct +
       L"|registry-value-name=Gone|result=failure");
  setup::RunCommandReadRegistryInstallDirectory(line_, state_);
  EXPECT_EQ(Result(), L"failure");
  EXPECT_EQ(state_.installDirectory, L"C:\\Program Files\\Tamber 4");
  EXPECT_TRUE(Logged("Error\tReadRegistryString\tKey 'Software\\Corvane\\Tamber' value 'Gone' not found."));
}

TEST_F(RegistryCommands, ReadRegistryStringLogsWhatItFinds) {
  std::wstring text;
  EXPECT_FALSE(setup::ReadRegistryString(L"", L"Version", &text));
  EXPECT_TRUE(Messages().empty());
  EXPECT_FALSE(setup::ReadRegistryString(L"HKLM\\Software\\Gone", L"Version", &text));
  EXPECT_TRUE(Logged("Error\tReadRegistryString\tKey 'Software\\Gone' not found. (GetLastError reports 0x2.)"));
  EXPECT_TRUE(setup::ReadRegistryString(L"HKLM\\" + kProduct, L"Version", &text));
  EXPECT_EQ(text, L"4.2.1");
  EXPECT_TRUE(Logged("Info\tReadRegistryString\tKey's string value named 'Version' found, its value is '4.2.1'."));
  // A value longer than the first read buffer comes back whole.
  const std::wstring longText(3000, L'x');
  registry().PutString(kHkeyLocalMachine, kProduct, L"Long", longText);
  EXPECT_TRUE(setup::ReadRegistryString(L"HKLM\\" + kProduct, L"Long", &text));
  EXPECT_EQ(text, longText);
  EXPECT_EQ(registry().OpenKeyCount(), 0u);
}

TEST_F(RegistryCommands, WriteRegistryStringTakesTheFirstSourceOfData) {
  setup::RunCommandWriteRegistryString(
      Line(L"write-registry-string|registry-path=Software\\T|registry-value-name=Path|"
           L"file-path=%ProgramFiles%\\A B\\c.exe|registry-value-data=ignored"),
      state_);
  EXPECT_EQ(UserString(L"Software\\T", L"Path"), L"\"C:\\Program Files\\A B\\c.exe\"");
  EXPECT_EQ(Result(), L"success");
  EXPECT_TRUE(Logged("Info\tRunCommandWriteRegistryString\tSetting registry key HKCU'Software\\T' "
                     "string named 'Path' to '\"C:\\Program Files\\A B\\c.exe\"'."));
  setup::RunCommandWriteRegistryString(
      Line(L"write-registry-string|registry-path=Software\\T|registry-value-name=Path|file-path=C:\\A B\\c.exe"),
      state_);
  EXPECT_EQ(UserString(L"Software\\T", L"Path"), L"C:\\A B\\c.exe");

  sim().PutFile(L"C:\\Tools\\t.exe", "MZ");
  setup::RunCommandWriteRegistryString(
      Line(L"write-registry-string|registry-path=Software\\T|registry-value-name=Run|"
           L"program=C:\\Tools\\t.exe|arg1=a b|file-path=C:\\x"),
      state_);
  EXPECT_EQ(UserString(L"Software\\T", L"Run"), L"C:\\Tools\\t.exe \"a b\"");

  setup::RunCommandWriteRegistryString(
      Line(L"write-registry-string|registry-path=Software\\T|registry-value-name=Data|registry-value-data=4.2"),
      state_);
  EXPECT_EQ(UserString(L"Software\\T", L"Data"), L"4.2");
  // Stored as Windows programs store strings: with the terminating null.
  EXPECT_EQ(registry().Get(kHkeyCurrentUser, L"Software\\T", L"Data")->data.size(), 8u);
}

TEST_F(RegistryCommands, WriteRegistryStringWithAnUnknownFolderWritesNothing) {
  Line(L"write-registry-string|registry-path=Software\\T|registry-value-name=P|file-path=%Nowhere%\\x|result=failure");
  setup::RunCommandWriteRegistryString(line_, state_);
  EXPECT_EQ(Result(), L"failure");
  EXPECT_FALSE(registry().KeyExists(kHkeyCurrentUser, L"Software\\T"));
  EXPECT_EQ(CountLogged("Info\tRunCommandWriteRegistryString"), 0);
}

TEST_F(RegistryCommands, WriteRegistryStringWithoutNameAndDataOnlyCreatesTheKey) {
  setup::RunCommandWriteRegistryString(Line(L"write-registry-string|registry-path=Software\\Empty"), state_);
  EXPECT_TRUE(registry().KeyExists(kHkeyCurrentUser, L"Software\\Empty"));
  EXPECT_FALSE(registry().Get(kHkeyCurrentUser, L"Software\\Empty", L"").has_value());
  EXPECT_EQ(Result(), L"success");
}

TEST_F(RegistryCommands, WriteRegistryDwordStoresTheSignedNumbersPattern) {
  setup::RunCommandWriteRegistryDWORD(
      Line(L"write-registry-dword|registry-path=Software\\T|registry-value-name=N|registry-value-data=-2"));
  EXPECT_EQ(registry().GetDword(kHkeyCurrentUser, L"Software\\T", L"N"), 0xFFFFFFFEu);
  EXPECT_EQ(Result(), L"success");
  EXPECT_TRUE(Logged("Info\tRunCommandWriteRegistryDWORD\tSetting registry key HKCU'Software\\T' "
                     "string named 'N' to '-2'."));
}

TEST_F(RegistryCommands, AKeyThatCannotBeWrittenIsFatal) {
  registry().SetReadOnly(kHkeyCurrentUser, L"Software\\Locked", true);
  EXPECT_THROW(setup::RunCommandWriteRegistryDWORD(
                   Line(L"write-registry-dword|registry-path=Software\\Locked\\T|registry-value-name=N|"
                        L"registry-value-data=1|result=failure")),
               ComUtil::_com_error);
  EXPECT_EQ(Result(), L"failure");
  EXPECT_THROW(setup::RunCommandWriteRegistryString(
                   Line(L"write-registry-string|registry-path=Software\\Locked|registry-value-name=N|"
                        L"registry-value-data=1"),
                   state_),
               ComUtil::_com_error);
  int issued = 0;
  for (const std::string& message : Messages())
    issued += message.rfind("Error\tIssueError\tIssuing exception 0x80070005: Access is denied.", 0) == 0;
  EXPECT_EQ(issued, 2);
  EXPECT_EQ(registry().OpenKeyCount(), 0u);
}

TEST_F(RegistryCommands, RunOnceForThisProgramOrAnother) {
  const std::wstring workingCopy = kInstallFolder + L"s.crvdat";
  setup::RunCommandWriteRegistryRunOnce(
      Line(L"write-registry-run-once|self=yes|registry-value-name=Other"), state_, workingCopy);
  EXPECT_EQ(UserString(kRunOnce, L"Tamber4Setup"), L"\"" + kExe + L"\" \"" + workingCopy + L"\"");
  EXPECT_FALSE(UserString(kRunOnce, L"Other").has_value());
  EXPECT_EQ(Result(), L"success");
  EXPECT_TRUE(Logged("Info\tWriteRunOnceRegistryValue\tSetting registry value 'Tamber4Setup' to '\"" +
                     text::WideToUtf8(kExe) + "\" \"" + text::WideToUtf8(workingCopy) + "\"'."));

  sim().PutFile(L"C:\\Tools\\t.exe", "MZ");
  setup::RunCommandWriteRegistryRunOnce(
      Line(L"write-registry-run-once|program=C:\\Tools\\t.exe|arg1=/finish|registry-value-name=Finish"),
      state_, workingCopy);
  EXPECT_EQ(UserString(kRunOnce, L"Finish"), L"C:\\Tools\\t.exe /finish");
  setup::RunCommandWriteRegistryRunOnce(Line(L"write-registry-run-once|program=C:\\Tools\\t.exe"),
                                        state_, workingCopy);
  EXPECT_EQ(UserString(kRunOnce, L"Tamber4Setup"), L"C:\\Tools\\t.exe");

  Line(L"write-registry-run-once|program=%Nowhere%\\t.exe|result=failure");
  setup::RunCommandWriteRegistryRunOnce(line_, state_, workingCopy);
  EXPECT_EQ(Result(), L"failure");
}

TEST_F(RegistryCommands, DeletingRunOnceValues) {
  logging::LogSeverityMask.store(logging::Error | logging::Warning | logging::Info | logging::Debug);
  registry().PutString(kHkeyCurrentUser, kRunOnce, L"Tamber4Setup", L"x");
  registry().PutString(kHkeyCurrentUser, kRunOnce, L"Finish", L"y");
  setup::RunCommandDeleteRegistryRunOnce(Line(L"delete-registry-run-once|self=yes|registry-value-name=Finish"));
  EXPECT_FALSE(UserString(kRunOnce, L"Tamber4Setup").has_value());
  EXPECT_TRUE(UserString(kRunOnce, L"Finish").has_value());
  EXPECT_TRUE(Logged("Info\tDeleteRegistryRunOnce\tDeleted registry value 'Tamber4Setup'."));

  setup::RunCommandDeleteRegistryRunOnce(Line(L"delete-registry-run-once|registry-value-name=Gone"));
  EXPECT_EQ(Result(), L"success");
  EXPECT_TRUE(Logged("Debug\tDeleteRegistryRunOnce\tRegistry value 'Gone' not found."));

  setup::RunCommandDeleteRegistryRunOnce(Line(L"delete-registry-run-once|self=no|result=failure"));
  EXPECT_EQ(Result(), L"failure");
  EXPECT_TRUE(Logged("Error\tRunCommandDeleteRegistryRunOnce\tEither the 'self' parameter or the "
                     "'registry-value-name' parameter must be specified."));
  EXPECT_TRUE(UserString(kRunOnce, L"Finish").has_value());
}

}  // namespace
