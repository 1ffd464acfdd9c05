// The restart a "reboot" line asked for, offered at exit, and the restart request itself.
#include "setup/session/RestartAtExit.h"

#include "platform/KernelObjects.h"
#include "platform/Shutdown.h"
#include "setup/session/RebootSystem.h"
#include "tests/unit/support/SetupTestSupport.h"

namespace setup {
namespace {

// Records the shutdown calls in order.
class FakeShutdown : public platform::Shutdown {
 public:
  bool OpenProcessToken(std::uint32_t access, platform::Handle* token) override {
    calls.push_back("open " + std::to_string(access));
    *token = platform::kernel().CreateNamedEvent(L"", false, false, &existed);
    return true;
  }
  bool LookupPrivilege(const std::wstring& name, platform::Luid* luid) override {
    calls.push_back("lookup " + text::WideToUtf8(name));
    luid->lowPart = 19;
    return true;
  }
  bool AdjustPrivilege(platform::Handle, const platform::Luid& luid, bool enable) override {
    calls.push_back((enable ? "enable " : "disable ") + std::to_string(luid.lowPart));
    platform::process().SetLastError(0);
    return true;
  }
  bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override {
    calls.push_back("exit " + std::to_string(flags) + " " + std::to_string(reason));
    if (!accept) platform::process().SetLastError(5);
    return accept;
  }
  std::vector<std::string> calls;
  bool accept = true;
  bool existed = false;
};

class RestartAtExitTest : public setuptest::SetupTest {
 protected:
  RestartAtExitTest() : shutdownGuard_(WithShutdown()) { processState().rebootCommandExecuted = true; }
  platform::Machine WithShutdown() {
    platform::Machine machine = sim().machine();
    machine.shutdown = &shutdown_;
    return machine;
  }
  FakeShutdown shutdown_;
  platform::ScopedMachine shutdownGuard_;
};

TEST_F(RestartAtExitTest, RestartNowNeedsNoAnswerAndHoldsThePrivilegeForTheRequest) {
  const std::size_t handlesBefore = sim().kernel().OpenHandleCount();
  OfferRestartAtExit(4);
  EXPECT_TRUE(sim().Boxes().empty());
  EXPECT_EQ(shutdown_.calls, (std::vector<std::string>{"open 40", "lookup SeShutdownPrivilege", "enable 19",
                                                       "exit 2 2147745794", "disable 19"}));
  EXPECT_EQ(sim().kernel().OpenHandleCount(), handlesBefore);  // the token is closed
  EXPECT_TRUE(Logged("Info\tTamber4Setup\tShutting down Windows."));
}

TEST_F(RestartAtExitTest, OtherwiseTheUserIsAskedInTheirOwnLanguage) {
  sim().system().SetLanguages(0x041D, 0x041D, 0x041D);
  OfferRestartAtExit(3);
  ASSERT_EQ(sim().Boxes().size(), 1u);
  EXPECT_EQ(sim().Boxes()[0].request.title, L"Tamber 4 Setup");
  EXPECT_EQ(sim().Boxes()[0].request.text.substr(0, 25), L"Uppdateringen är klar. Du");
  EXPECT_TRUE(shutdown_.calls.empty());

  sim().QueueAnswer(platform::mb::IdYes);
  shutdown_.accept = false;
  OfferRestartAtExit(0);
  EXPECT_EQ(shutdown_.calls.size(), 5u);
  EXPECT_TRUE(Logged("Error\tTamber4Setup\tAttempt to reboot failed. Return value is 0x5."));
}

TEST_F(RestartAtExitTest, NothingHappensUnlessARebootLineStoppedTheRun) {
  processState().rebootCommandExecuted = false;
  OfferRestartAtExit(4);
  EXPECT_TRUE(shutdown_.calls.empty());
}

}  // namespace
}  // namespace setup
