// The static script checks of tamber4sim, against the program's own command table.
#include "tools/tamber4sim/ScriptCheck.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/sim/SimText.h"
#include "setup/engine/ParameterDeclarations.h"

namespace {

using tamber4sim::Finding;

std::string Utf16(const std::wstring& text, bool mark = true) {
  std::string bytes = mark ? "\xFF\xFE" : "";
  for (wchar_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
  }
  return bytes;
}

// "line: error|warning: text" for each finding.
std::vector<std::string> Check(const std::string& bytes) {
  std::vector<std::string> found;
  for (const Finding& f :
       tamber4sim::CheckScript(bytes, setup::ProgramCommands(), tamber4sim::IsMessageTableId))
    found.push_back(std::to_string(f.line) + ": " + (f.error ? "error: " : "warning: ") + f.text);
  return found;
}

std::vector<std::string> CheckLines(const std::vector<std::wstring>& lines) {
  std::wstring text;
  for (const std::wstring& line : lines) text += line + L"\r\n";
  return Check(Utf16(text));
}

TEST(ScriptCheck, EachFaultIsNamedAtItsOwnLine) {
  struct Case {
    const char* fault;
    std::vector<std::wstring> script;
    std::vector<std::string> findings;
  };
  const Case cases[] = {
      {"a clean script",
       {L"# comment", L"read-registry-install-directory|registry-path=HKLM\\Software\\T",
        L"execute|program=%InstallDirectory%\\a.exe|arg1=x|arg-quoted2=y|wait=yes|result=success",
        L"alert|message-id-message=215|icon=info"},
       {}},
      {"a misspelt command, with the nearest name",
       {L"write-registry-strng|registry-path=S"},
       {"1: error: unknown command 'write-registry-strng' (did you mean 'write-registry-string'?)"}},
      {"a misspelt parameter, and a required one missing",
       {L"write-registry-string|registry-valu-name=A"},
       {"1: error: unknown parameter 'registry-valu-name' of 'write-registry-string' (did you "
        "mean 'registry-value-name'?)",
        "1: error: 'write-registry-string' needs the parameter 'registry-path'"}},
      {"a comment that holds '=' is no comment",
       {L"# set uri=x.msi first"},
       {"1: error: a comment with '=' is read as parameters, not as a comment: write '%3D' for '='"}},
      {"blank lines count in the numbering",
       {L"alert", L"", L"", L"zzz"}, {"4: error: unknown command 'zzz'"}},
      {"malformed values",
       {L"uninstall|product={1234}", L"execute|program=a.exe|reboot-on-exit-code=30x10|wait=true",
        L"reboot|force=always", L"alert|message-id-title=99"},
       {"1: error: 'product' '{1234}' is not a braced GUID ({XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX})",
        "2: error: 'reboot-on-exit-code' '30x10' is not a decimal number",
        "2: error: 'wait' 'true' is not 'yes' or 'no'",
        "3: error: 'force' 'always' is not one of 'yes' 'if-reboot-now'",
        "4: error: 'message-id-title' '99' is not a message id of the message table"}},
      {"unbalanced blocks and sections",
       {L"end-if", L"if-installed|upgrade-code={00000000-0000-0000-0000-000000000000}|version=1",
        L"requires-elevation", L"requires-elevation", L"end-elevation", L"end-elevation"},
       {"1: error: 'end-if' without an open block",
        "2: error: 'if-installed' has no matching 'end-if'",
        "4: error: a section inside the section opened at line 3: sections do not nest",
        "6: error: 'end-elevation' without an open 'requires-elevation'"}},
      {"special folders used before they are known",
       {L"execute|program=%InstallDirectory%\\a.exe", L"copy-file|source=%Setup%\\a|target=C:\\x",
        L"download|uri=http://h/a.msi|name=A|file-path=C:\\x\\a.msi|special-folder-name=Msi", L"copy-file|source=%Msi%|target=C:\\x",
        L"set-special-folder-paths", L"copy-file|source=%Msi%|target=%System%",
        L"copy-file|source=%Msi|target=C:\\x"},
       {"1: error: '%InstallDirectory%' is used before any 'read-registry-install-directory' line",
        "2: error: unknown special folder '%Setup%'",
        "4: error: '%Msi%' is used before a 'set-special-folder-paths' line defines it",
        "7: error: 'source' '%Msi' starts a special folder it does not close"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    std::vector<std::string> found = CheckLines(c.script);
    // Commands not yet carried out by this build are named too; they are not the point here.
    found.erase(std::remove_if(found.begin(), found.end(),
                               [](const std::string& f) { return f.find("warning: ") != f.npos; }),
                found.end());
    EXPECT_EQ(found, c.findings);
  }
}

TEST(ScriptCheck, AFileThatIsNotUtf16IsRefusedWhole) {
  EXPECT_EQ(Check("alert|message=hi\r\n"),
            std::vector<std::string>{"0: error: the file is not UTF-16LE text: it has no "
                                     "byte-order mark and its first character is not UTF-16; "
                                     "save it as UTF-16 (\"Unicode\")"});
  EXPECT_TRUE(Check(Utf16(L"alert\r\n", false)).empty());  // no mark, but UTF-16
}

// Every command's declaration reads back, and the shipped examples check clean: a command
// that gains a parameter without declaring it fails here.
TEST(ScriptCheck, DeclarationsParseAndTheExamplesCheckClean) {
  for (const setup::CommandEntry& entry : setup::ProgramCommands().entries()) {
    if (entry.parameters == nullptr) continue;
    for (const setup::ParameterDeclaration& d : setup::ParseParameterDeclarations(entry.parameters)) {
      EXPECT_FALSE(d.name.empty()) << platform::sim::WideToUtf8(entry.name);
      if (d.kind == setup::ValueKind::Choice) EXPECT_FALSE(d.choices.empty());
    }
  }
  std::ifstream in(std::string(TAMBER4_SOURCE_DIR) + "/examples/sample.crvdat", std::ios::binary);
  ASSERT_TRUE(in);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const std::string& finding : Check(bytes)) EXPECT_EQ(finding.find("error"), std::string::npos) << finding;
}

}  // namespace
