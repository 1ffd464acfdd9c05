// tamber4sim run and reboot on a machine folder of the host: the description stays as its
// author wrote it, the state carries a restart over to its continuation.
#include "tools/tamber4sim/Tool.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/sim/SimMachine.h"
#include "platform/sim/SimMachineKeys.h"
#include "platform/sim/SimTempFolder.h"
#include "setup/session/ProcessState.h"

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteScript(const fs::path& path, const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  std::ofstream(path, std::ios::binary) << bytes;
}

std::optional<std::uint32_t> Stage(const fs::path& state) {
  std::string error;
  auto m = platform::sim::SimMachine::Load(state, &error);
  EXPECT_TRUE(m) << error;
  return m->registry().GetDword(platform::kHkeyCurrentUser, L"Software\\T", L"Stage");
}

TEST(Tool, ARunRestartsIntoItsContinuationAndLeavesTheDescriptionAlone) {
  platform::sim::SimTempFolder folder;
  tamber4sim::Options options;
  options.machineFolder = (folder.path() / "machine").string();
  options.stateFolder = (folder.path() / "machine.state").string();
  options.script = (folder.path() / "s.crvdat").string();
  WriteScript(options.script,
              L"write-registry-dword|registry-path=Software\\T|registry-value-name=Stage|"
              L"registry-value-data=1\r\n\r\n"
              L"execute|program=%System%\\cmd.exe|wait=yes\r\n"
              L"reboot|force=yes\r\n"
              L"write-registry-dword|registry-path=Software\\T|registry-value-name=Stage|"
              L"registry-value-data=2\r\n");

  // A missing description is created; the run starts from a copy of it.
  EXPECT_EQ(tamber4sim::RunScript(options), 0);
  const fs::path description = fs::path(options.machineFolder) / "machine.txt";
  EXPECT_EQ(Read(description), platform::sim::MachineTemplateText());
  EXPECT_EQ(Stage(options.stateFolder), 1u);
  setup::ResetProcessState();

  // The restart runs the rest of the script, once.
  EXPECT_EQ(tamber4sim::RebootMachine(options), 0);
  EXPECT_EQ(Stage(options.stateFolder), 2u);
  setup::ResetProcessState();
  EXPECT_EQ(tamber4sim::RebootMachine(options), 0);

  // A hand-written description is read, never rewritten, and each run starts from it.
  const std::string written = Read(description) + "# mine\nadministrator = no\n";
  std::ofstream(description, std::ios::binary) << written;
  EXPECT_EQ(tamber4sim::RunScript(options), 0);
  EXPECT_EQ(Read(description), written);
  EXPECT_EQ(Stage(options.stateFolder), 1u);
  setup::ResetProcessState();

  // A description the program cannot use is refused before anything runs.
  std::ofstream(description, std::ios::binary) << "windws = 10\n";
  EXPECT_EQ(tamber4sim::RunScript(options), 64);
  options.stateFolder = (folder.path() / "none").string();
  EXPECT_EQ(tamber4sim::RebootMachine(options), 64);
}

}  // namespace
