#include "setup/engine/ScriptFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ComUtil/IssueError.h"
#include "setup/engine/CommandParameters.h"
#include "tests/unit/support/SetupTestSupport.h"
#include "text/Utf.h"

namespace {

using setup::ReadScriptFile;
using setup::SaveCommands;
using setup::Script;
using setup::SplitScriptLines;
using Lines = std::vector<std::wstring>;

const std::wstring kScriptPath = L"C:\\Setup\\Tamber4DiscScript.crvdat";
const std::wstring kWorkingCopy = L"C:\\Users\\User\\AppData\\Local\\Tamber4\\Install\\a.crvdat";

std::string Utf16(const std::wstring& text) { return text::WideToUtf16Le(text); }
const std::string kBom = "\xFF\xFE";

class ScriptFileTest : public setuptest::SetupTest {
 protected:
  ScriptFileTest() { sim().files().MakeFolders(L"C:\\Users\\User\\AppData\\Local\\Tamber4\\Install"); }

  // Saves `lines` and expects the call to raise the HRESULT of `error`.
  void ExpectSaveFails(const Lines& lines, platform::Win32Error error) {
    try {
      SaveCommands(Script{lines, 0}, kWorkingCopy);
      ADD_FAILURE() << "SaveCommands did not raise";
    } catch (const ComUtil::_com_error& e) {
      EXPECT_EQ(e.Error(), platform::hr::FromWin32(error));
    }
  }
};

TEST(SplitScriptLines, AnyMixOfLineBreaksEndsLines) {
  EXPECT_EQ(SplitScriptLines(L"a\r\nb\r\nc\r\n"), (Lines{L"a", L"b", L"c"}));
  EXPECT_EQ(SplitScriptLines(L"a\nb\nc"), (Lines{L"a", L"b", L"c"}));
  EXPECT_EQ(SplitScriptLines(L"a\rb\rc\r"), (Lines{L"a", L"b", L"c"}));
  EXPECT_EQ(SplitScriptLines(L"\r\n\r\na\n\n\r\rb\n\r\n"), (Lines{L"a", L"b"}));
  EXPECT_EQ(SplitScriptLines(L""), Lines{});
  EXPECT_EQ(SplitScriptLines(L"\r\n\n\r"), Lines{});
}

TEST(SplitScriptLines, NothingIsTrimmed) {
  EXPECT_EQ(SplitScriptLines(L"  \r\n\tsave \r\n"), (Lines{L"  ", L"\tsave "}));
  EXPECT_EQ(SplitScriptLines(std::wstring(L"a\0b\nc", 5)), (Lines{std::wstring(L"a\0b", 3), L"c"}));
}

// Reading the lines straight from the file's bytes cuts them as reading the text and then
// splitting it does, also where the file is read in more than one piece (of 32,768 units).
TEST_F(ScriptFileTest, LinesReadStraightAgreeWithTheTextSplit) {
  const auto xs = [](std::size_t count) { return std::wstring(count, L'x'); };
  struct Case {
    const char* what;
    std::string bytes;
    std::wstring prefix;
    Lines lines;
  };
  const Case cases[] = {
      {"mark and CR LF", kBom + Utf16(L"a\r\nb\r\n"), L"", {L"a", L"b"}},
      {"no mark, any mix of breaks", Utf16(L"\r\na\n\n\rb\rc"), L"", {L"a", L"b", L"c"}},
      {"a mark only", kBom, L"", {}},
      {"nothing", "", L"", {}},
      {"a trailing odd byte is ignored", Utf16(L"save") + "x", L"", {L"save"}},
      {"a mark later in the file is text", Utf16(L"a\xFEFF\r\n\xFEFF"), L"", {L"a\xFEFF", L"\xFEFF"}},
      {"every code unit kept", Utf16(std::wstring(L"\0\u20AC\xD83D\xFFFF", 4)), L"",
       {std::wstring(L"\0\u20AC\xD83D\xFFFF", 4)}},
      {"the prefix comes first", kBom + Utf16(L"save"), L"self\r\n", {L"self", L"save"}},
      {"a line across a piece's end", kBom + Utf16(xs(40000) + L"\r\nb"), L"", {xs(40000), L"b"}},
      {"CR ends a piece, LF starts the next", Utf16(xs(32767) + L"\r\nb"), L"", {xs(32767), L"b"}},
      {"a mark that starts a later piece is text", Utf16(xs(32766) + L"\r\n\xFEFF" L"b"), L"",
       {xs(32766), L"\xFEFF" L"b"}},
      {"a piece of an odd byte alone", Utf16(xs(32768)) + "z", L"", {xs(32768)}},
      {"a line of many pieces", Utf16(L"a\n" + xs(200001)), L"", {L"a", xs(200001)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim().PutFile(kScriptPath, c.bytes);
    EXPECT_EQ(setup::ReadScriptLines(kScriptPath, c.prefix), c.lines);
    EXPECT_EQ(SplitScriptLines(ReadScriptFile(kScriptPath, c.prefix).value()), c.lines);
  }
  EXPECT_EQ(setup::ReadScriptLines(L"C:\\Setup\\missing.crvdat", L""), std::nullopt);
}

TEST(ScriptPrefix, SelfLineOnlyForWebScripts) {
  EXPECT_EQ(setup::ScriptPrefix(L""), L"");
  EXPECT_EQ(setup::ScriptPrefix(L"https://example.invalid/setup/"), L"self\r\n");
}

TEST_F(ScriptFileTest, ByteOrderMarkIsOptional) {
  const std::wstring text = L"download|uri=a.msi\r\nsave\r\n";
  sim().PutFile(kScriptPath, kBom + Utf16(text));
  sim().PutFile(L"C:\\Setup\\plain.crvdat", Utf16(text));
  EXPECT_EQ(ReadScriptFile(kScriptPath, L""), text);
  EXPECT_EQ(ReadScriptFile(L"C:\\Setup\\plain.crvdat", L""), text);
  EXPECT_EQ(sim().files().OpenHandleCount(), 0u);
}

TEST_F(ScriptFileTest, ReadKeepsEveryCodeUnit) {
  // Only the first mark is skipped; a second one is text. An odd last byte is dropped.
  std::wstring text = std::wstring(L"\xFEFFx|v=\u00E9\u20AC\xD83D\xDE00\0y", 11);
  sim().PutFile(kScriptPath, kBom + Utf16(text) + "\x41");
  EXPECT_EQ(ReadScriptFile(kScriptPath, L""), text);
  sim().PutFile(kScriptPath, "");
  EXPECT_EQ(ReadScriptFile(kScriptPath, L""), L"");
  sim().PutFile(kScriptPath, kBom);
  EXPECT_EQ(ReadScriptFile(kScriptPath, L"self\r\n"), L"self\r\n");
}

TEST_F(ScriptFileTest, PrefixGoesBeforeTheTextAndItsMark) {
  sim().PutFile(kScriptPath, kBom + Utf16(L"alert|message-id=1\r\n"));
  std::optional<std::wstring> text = ReadScriptFile(kScriptPath, setup::ScriptPrefix(L"http://h/"));
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(SplitScriptLines(*text), (Lines{L"self", L"alert|message-id=1"}));
}

TEST_F(ScriptFileTest, UnreadableFileIsReportedNotRaised) {
  EXPECT_EQ(ReadScriptFile(L"C:\\Setup\\missing.crvdat", L""), std::nullopt);
  EXPECT_TRUE(Logged("Error\tRun\tFile not found, aborting."));
  sim().PutFile(kScriptPath, Utf16(L"save"));
  platform::Handle other = sim().files().HoldOpenByOtherProgram(kScriptPath);
  EXPECT_EQ(ReadScriptFile(kScriptPath, L""), std::nullopt);
  sim().files().ReleaseOtherProgram(other);
  EXPECT_EQ(ReadScriptFile(kScriptPath, L""), L"save");
}

TEST_F(ScriptFileTest, SaveWritesMarkAndCrLfAfterEveryLine) {
  SaveCommands(Script{{L"download|result=success|uri=a.msi", L"\u00E9", L"save"}, 2}, kWorkingCopy);
  EXPECT_EQ(sim().FileBytes(kWorkingCopy),
            kBom + Utf16(L"download|result=success|uri=a.msi\r\n\u00E9\r\nsave\r\n"));
  SaveCommands(Script{}, kWorkingCopy);
  EXPECT_EQ(sim().FileBytes(kWorkingCopy), kBom);
  // Written in pieces of 64 KiB: lines across and beyond a piece come out whole, in order.
  const std::wstring a(20000, L'a'), b(50000, L'b');
  SaveCommands(Script{{a, b, L"save"}, 0}, kWorkingCopy);
  EXPECT_EQ(sim().FileBytes(kWorkingCopy), kBom + Utf16(a + L"\r\n" + b + L"\r\nsave\r\n"));
  EXPECT_EQ(sim().files().OpenHandleCount(), 0u);
  EXPECT_EQ(CountLogged("Info\tSaveCommands\tWriting command file back to '" +
                        text::WideToUtf8(kWorkingCopy) + "'."),
            3u);
}

TEST_F(ScriptFileTest, SavedScriptReadsBackLineForLine) {
  // Line-break-only files with blank lines come back in the canonical form.
  sim().PutFile(kScriptPath, Utf16(L"\n# comment\n\nif-installed|product-code={X}\rend-if\n\n"));
  Script script{SplitScriptLines(*ReadScriptFile(kScriptPath, L"")), 0};
  setup::CommandParameters record;
  record.Parse(script.lines[1]);
  record.SetParameter(L"result", L"success");
  script.lines[1] = record.Serialize();
  SaveCommands(script, kWorkingCopy);
  EXPECT_EQ(sim().FileBytes(kWorkingCopy),
            kBom + Utf16(L"# comment\r\nif-installed|product-code={X}|result=success\r\nend-if\r\n"));
  EXPECT_EQ(SplitScriptLines(*ReadScriptFile(kWorkingCopy, L"")), script.lines);
}

TEST_F(ScriptFileTest, FailedWriteLeavesTheOldCopyWhole) {
  const Lines old{L"download|uri=a.msi", L"save"};
  SaveCommands(Script{old, 0}, kWorkingCopy);
  const std::optional<std::string> before = sim().FileBytes(kWorkingCopy);

  sim().files().FailWrites(L"", 112);  // disk full
  ExpectSaveFails({L"download|result=success|uri=a.msi", L"save|result=success"}, 112);
  EXPECT_EQ(sim().FileBytes(kWorkingCopy), before);
  EXPECT_EQ(sim().FileBytes(kWorkingCopy + L".tmp"), std::nullopt);
  EXPECT_EQ(sim().files().OpenHandleCount(), 0u);

  sim().files().ClearFailures();
  SaveCommands(Script{{L"save|result=success"}, 0}, kWorkingCopy);
  EXPECT_EQ(sim().FileBytes(kWorkingCopy), kBom + Utf16(L"save|result=success\r\n"));
}

TEST_F(ScriptFileTest, FailedReplaceLeavesTheOldCopyWhole) {
  SaveCommands(Script{{L"old"}, 0}, kWorkingCopy);
  sim().files().FailPath(kWorkingCopy, 1224, 1);  // a user-mapped section is open
  ExpectSaveFails({L"new"}, 1224);
  EXPECT_EQ(sim().FileBytes(kWorkingCopy), kBom + Utf16(L"old\r\n"));
  EXPECT_EQ(sim().FileBytes(kWorkingCopy + L".tmp"), std::nullopt);
}

TEST_F(ScriptFileTest, SaveIntoMissingFolderRaises) {
  const std::wstring path = L"C:\\No\\Such\\Folder\\a.crvdat";
  try {
    SaveCommands(Script{{L"save"}, 0}, path);
    ADD_FAILURE() << "SaveCommands did not raise";
  } catch (const ComUtil::_com_error& e) {
    EXPECT_EQ(e.Error(), platform::hr::FromWin32(platform::err::PathNotFound));
  }
  EXPECT_EQ(sim().FileBytes(path), std::nullopt);
  EXPECT_EQ(CountLogged("Error\tIssueError\tIssuing exception 0x80070003"), 1u);
}

TEST_F(ScriptFileTest, ReaderSeesOnlyWholeCopies) {
  // Every write that reaches the working copy's own name must be a complete file: the
  // content goes to another name first.
  std::vector<std::wstring> writtenPaths;
  sim().files().SetWriteObserver([&](const std::wstring& path, std::string_view) {
    writtenPaths.push_back(path);
  });
  SaveCommands(Script{{L"a", L"b"}, 0}, kWorkingCopy);
  ASSERT_FALSE(writtenPaths.empty());
  for (const std::wstring& path : writtenPaths) {
    EXPECT_FALSE(text::EqualsIgnoreAsciiCase(path, kWorkingCopy)) << text::WideToUtf8(path);
  }
  EXPECT_EQ(sim().FileBytes(kWorkingCopy), kBom + Utf16(L"a\r\nb\r\n"));
}

}  // namespace
