// Power lost in the middle of a setup: the machine keeps what the run had done (registry,
// files, programs run) and nothing else. Whenever the power goes, at the start of any line of
// the setup or of its elevated instance, or while the working copy is being written, the
// setup run again (through its RunOnce entry, or started again by the user) ends as an
// uninterrupted one does, and no program runs twice.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "logging/LogTesting.h"
#include "platform/Machine.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTempFolder.h"
#include "platform/sim/SimText.h"
#include "setup/engine/CommandParameters.h"
#include "setup/session/ProcessState.h"
#include "setup/session/Tamber4Setup.h"
#include "tests/unit/commands/installer/InstallerTestSupport.h"

namespace {

namespace fs = std::filesystem;
using platform::sim::SimMachine;

const std::wstring kExe = L"C:\\Users\\User\\Downloads\\Tamber4Setup.exe";
const std::wstring kScript = L"C:\\Users\\User\\Downloads\\setup.crvdat";
const std::wstring kWorkingCopy = L"C:\\Users\\User\\AppData\\Local\\Tamber4\\Install\\setup.crvdat";
const wchar_t kRunOnceKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const installertest::PackageIdentity kPackageA{installertest::kProductA1, installertest::kUpgradeA,
                                               L"4.2.0.1"};
const installertest::PackageIdentity kPackageB{installertest::kProductB1, installertest::kUpgradeB,
                                               L"1.0.0.0"};

// One line of each command family: registry, blocks, files, downloads, programs, prompts,
// an elevated section with the installer, and a restart; a block whose condition is false
// holds a program that must never run. The second line takes over the
// background download of the first, and so rewrites the first line's result.
const wchar_t* const kLines[] = {
    L"download|name=Notes|uri=file://C:/Server/notes.txt|file-path=C:\\Downloads\\notes.txt|background=yes",
    L"download|name=Notes|uri=file://C:/Server/notes.txt|file-path=C:\\Downloads\\notes.txt",
    L"write-registry-dword|registry-path=Software\\P|registry-value-name=A|registry-value-data=1",
    L"if-registry-check|registry-path=HKCU\\Software\\P|registry-value-name=A|registry-value-data=1|compare-as-number=yes",
    L"copy-file|source=C:\\Tools\\data.txt|target=C:\\Target",
    L"end-if",
    L"if-registry-check|registry-path=HKCU\\Software\\P|registry-value-name=Z|registry-value-data=1",
    L"execute|program=C:\\Tools\\d.exe|wait=yes",
    L"end-if",
    L"download|name=Package A|uri=file://C:/Server/a.msi|file-path=C:\\Downloads\\a.msi|special-folder-name=PackageA",
    L"set-special-folder-paths",
    L"execute|program=C:\\Tools\\a.exe|wait=yes",
    L"alert|message=hello",
    L"requires-elevation",
    L"execute|program=C:\\Tools\\b.exe|wait=yes|reboot-now-on-exit-code=3010",
    L"install|package=%PackageA%",
    L"uninstall|product={B2000001-0000-4000-8000-0000000000B1}",
    L"write-registry-dword|registry-path=Software\\P|registry-value-name=B|registry-value-data=1",
    L"end-elevation",
    L"reboot|force=yes",
    L"execute|program=C:\\Tools\\c.exe|wait=yes",
    L"write-registry-dword|registry-path=Software\\P|registry-value-name=C|registry-value-data=1",
};

struct FinalState {
  std::vector<std::wstring> results;           // of the working copy
  std::map<std::wstring, std::string> values;  // the registry under HKCU\Software\P and RunOnce
  bool copied = false;                         // the copied file is there
  bool downloaded = false;                     // the downloaded package is there
  std::set<std::wstring> products;             // the product codes installed
  std::multiset<std::wstring> programs;        // the script's programs started, over all runs
  bool operator==(const FinalState& o) const {
    return results == o.results && values == o.values && copied == o.copied &&
           downloaded == o.downloaded && products == o.products && programs == o.programs;
  }
};

void PrintTo(const FinalState& s, std::ostream* out) {
  using platform::sim::WideToUtf8;
  *out << "results:";
  for (const auto& r : s.results) *out << " '" << WideToUtf8(r) << "'";
  *out << "; values:";
  for (const auto& [name, data] : s.values) *out << " " << WideToUtf8(name);
  *out << "; copied " << s.copied << "; downloaded " << s.downloaded << "; products:";
  for (const auto& p : s.products) *out << " " << WideToUtf8(p);
  *out << "; programs:";
  for (const auto& p : s.programs) *out << " " << WideToUtf8(p);
}

std::string Utf16(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

// The point the power goes: the n-th "Processing line" the log reports, or (n = 0) the
// first write of the working copy.
struct Cut {
  int processingLine = 0;
};

class PowerLoss : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!installertest::WixlAvailable()) GTEST_SKIP() << installertest::WixlMissingReason();
  }

  // A machine with the script, its programs and the file it copies, saved in `folder`; the
  // elevated section's program exits with `sectionExitCode` (3010: restart now).
  void PrepareMachine(const fs::path& folder, std::uint32_t sectionExitCode) {
    std::string error;
    auto m = SimMachine::Load(folder, &error);
    ASSERT_TRUE(m) << error;
    std::wstring script;
    for (const wchar_t* line : kLines) script += std::wstring(line) + L"\r\n";
    m->PutFile(kScript, Utf16(script));
    for (const wchar_t* program : {L"a", L"b", L"c", L"d"})
      m->PutProgram(std::wstring(L"C:\\Tools\\") + program + L".exe", {});
    m->PutProgram(L"C:\\Tools\\b.exe", {sectionExitCode});
    m->PutFile(L"C:\\Tools\\data.txt", "data");
    m->PutFile(L"C:\\Server\\notes.txt", "notes");
    const std::string& packageA = installertest::WixlPackage(kPackageA);
    const std::string& packageB = installertest::WixlPackage(kPackageB);
    ASSERT_FALSE(packageA.empty() || packageB.empty()) << "wixl could not build the packages";
    m->PutFile(L"C:\\Server\\a.msi", packageA);
    m->PutFile(L"C:\\Preinstalled\\b.msi", packageB);
    ASSERT_EQ(m->installer().InstallProduct(L"C:\\Preinstalled\\b.msi", L""), 0u);
    ASSERT_TRUE(m->Save(folder, &error)) << error;
  }

  // Runs `commandLine` on the machine in `folder` and saves the machine afterwards. With a
  // cut, the machine as it is at that point is saved into `cutFolder` instead, as if the
  // power went there: what the run does after it is lost. Adds the script's programs
  // started (before the cut) to `programs`; false when the cut point was never reached.
  bool RunOn(const fs::path& folder, const std::wstring& commandLine, const Cut* cut,
             const fs::path& cutFolder, std::multiset<std::wstring>* programs) {
    std::string error;
    auto m = SimMachine::Load(folder, &error);
    EXPECT_TRUE(m) << error;
    int seen = 0;
    bool cutDone = false;
    std::size_t startsAtCut = 0;
    if (cut != nullptr)
      m->files().SetWriteObserver([&](const std::wstring& path, std::string_view bytes) {
        if (cutDone) return;
        const bool atLine = cut->processingLine > 0 &&
                            std::string(bytes).find("\tProcessing line ") != std::string::npos &&
                            ++seen == cut->processingLine;
        const bool atCopy = cut->processingLine == 0 && platform::sim::EqualsNoCase(
                                                             path, kWorkingCopy + L".tmp");
        if (!atLine && !atCopy) return;
        cutDone = true;
        startsAtCut = m->processes().Starts().size();
        EXPECT_TRUE(m->Save(cutFolder, &error)) << error;
      });
    {
      platform::ScopedMachine guard(m->machine());
      setup::TamberMain(m->process().ExecutableModule(), commandLine);
    }
    logging::ResetLogForTesting();
    setup::ResetProcessState();
    m->files().SetWriteObserver(nullptr);
    const auto& starts = m->processes().Starts();
    const std::size_t counted = cut != nullptr ? startsAtCut : starts.size();
    for (std::size_t i = 0; i < counted && i < starts.size(); ++i)
      if (starts[i].commandLine.find(L"C:\\Tools\\") == 0) programs->insert(starts[i].commandLine);
    if (cut == nullptr) EXPECT_TRUE(m->Save(folder, &error)) << error;
    return cut == nullptr || cutDone;
  }

  // Restarts the machine in `folder` until no RunOnce entry is left, running each as the
  // next logon does; with none at first, the user starts the setup again.
  void FinishOn(const fs::path& folder, std::multiset<std::wstring>* programs) {
    bool first = true;
    for (int restart = 0; restart < 5; ++restart) {
      std::string error;
      auto m = SimMachine::Load(folder, &error);
      ASSERT_TRUE(m) << error;
      auto entry = m->registry().GetString(platform::kHkeyCurrentUser, kRunOnceKey, L"Tamber4Setup");
      if (!entry && !first) return;
      first = false;
      const std::wstring commandLine = entry ? *entry : L"\"" + kExe + L"\" " + kScript;
      if (entry) {
        m->registry().MakeKey(platform::kHkeyCurrentUser, kRunOnceKey).values.clear();
        ASSERT_TRUE(m->Save(folder, &error)) << error;
      }
      RunOn(folder, commandLine, nullptr, fs::path(), programs);
    }
    FAIL() << "the setup never stopped asking for restarts";
  }

  FinalState StateOf(const fs::path& folder, std::multiset<std::wstring> programs) {
    std::string error;
    auto m = SimMachine::Load(folder, &error);
    EXPECT_TRUE(m) << error;
    FinalState state;
    state.programs = std::move(programs);
    const std::string copy = m->FileBytes(kWorkingCopy).value_or(std::string());
    std::wstring text;
    for (std::size_t i = 2; i + 1 < copy.size(); i += 2)
      text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(copy[i]) |
                                          (static_cast<unsigned char>(copy[i + 1]) << 8)));
    for (std::size_t start = 0, end; (end = text.find(L"\r\n", start)) != std::wstring::npos;
         start = end + 2) {
      setup::CommandParameters line;
      line.Parse(text.substr(start, end - start));
      state.results.push_back(line.Result());
    }
    for (const wchar_t* key : {L"Software\\P", kRunOnceKey}) {
      const auto* found = m->registry().FindKey(platform::kHkeyCurrentUser, key);
      if (found == nullptr) continue;
      for (const auto& [upper, value] : found->values)
        state.values[std::wstring(key) + L"\\" + value.name] =
            std::string(value.data.begin(), value.data.end());
    }
    state.copied = m->FileBytes(L"C:\\Target\\data.txt") == std::string("data");
    state.downloaded = m->FileBytes(L"C:\\Downloads\\a.msi") == installertest::WixlPackage(kPackageA);
    for (const platform::sim::SimProduct& product : m->installer().Products())
      state.products.insert(product.productCode);
    return state;
  }

  platform::sim::SimTempFolder folder_;
};

TEST_F(PowerLoss, ASetupCutAnywhereEndsAsAnUninterruptedOne) {
  // The section's program asks for no restart, or for one at once, which ends the elevated
  // instance and leaves the rest of the section to the run after the restart.
  for (std::uint32_t sectionExitCode : {0u, 3010u}) {
    SCOPED_TRACE("the section's program exits with " + std::to_string(sectionExitCode));
    const fs::path root = folder_.path() / std::to_string(sectionExitCode);
    const fs::path base = root / "base";
    PrepareMachine(base, sectionExitCode);
    const fs::path whole = root / "whole";
    fs::copy(base, whole, fs::copy_options::recursive);
    std::multiset<std::wstring> wholePrograms;
    FinishOn(whole, &wholePrograms);
    const FinalState expected = StateOf(whole, wholePrograms);
    ASSERT_EQ(expected.programs.size(), 3u);
    ASSERT_EQ(expected.values.size(), 3u);  // A, B and C; no RunOnce entry left
    ASSERT_TRUE(expected.downloaded);
    ASSERT_TRUE(expected.copied) << "the first block's condition holds";
    ASSERT_EQ(expected.results.at(0), L"success") << "the second line took over the first's download";
    ASSERT_EQ(expected.products, std::set<std::wstring>{kPackageA.productCode});

    for (int n = 0;; ++n) {
      SCOPED_TRACE(n == 0 ? std::string("cut while the working copy is written")
                          : "cut at the start of line report " + std::to_string(n));
      const fs::path run = folder_.path() / ("run" + std::to_string(n));
      const fs::path after = folder_.path() / ("after" + std::to_string(n));
      fs::copy(base, run, fs::copy_options::recursive);
      std::multiset<std::wstring> programs;
      const Cut cut{n};
      const bool reached =
          RunOn(run, L"\"" + kExe + L"\" " + kScript, &cut, after, &programs);
      fs::remove_all(run);
      if (!reached) {
        EXPECT_GT(n, 10);  // every line of the setup and of its instance was a cut point
        break;
      }
      FinishOn(after, &programs);
      EXPECT_EQ(StateOf(after, programs), expected);
      fs::remove_all(after);
    }
  }
}

}  // namespace
