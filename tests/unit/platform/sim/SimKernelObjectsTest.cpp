// Named mutexes across simulated processes, and waits on virtual time.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/Files.h"
#include "platform/KernelObjects.h"
#include "platform/Processes.h"
#include "platform/Security.h"
#include "platform/SystemInfo.h"
#include "platform/sim/SimTempFolder.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::Handle;
namespace wait = platform::wait;

const std::wstring kName = L"Tamber Log File TAMBER4SETUP.log";

class SimKernelObjectsTest : public platform::sim::SimMachineTest {
 protected:
  platform::KernelObjects& kernel() { return platform::kernel(); }
};

TEST_F(SimKernelObjectsTest, TheSecondCreatorSeesTheMutexAndWaitsForIt) {
  bool existed = true;
  const Handle first = kernel().CreateNamedMutex(kName, true, &existed);
  ASSERT_NE(first, platform::kNoHandle);
  EXPECT_FALSE(existed);

  // Another process: a second machine in the same test process.
  platform::sim::SimTempFolder otherRoot;
  platform::sim::SimMachine other(otherRoot.path());
  const Handle second = other.kernel().CreateNamedMutex(kName, true, &existed);
  EXPECT_TRUE(existed);
  EXPECT_EQ(other.process().LastError(), platform::err::AlreadyExists);
  EXPECT_FALSE(other.kernel().OwnsMutex(kName));  // initial ownership is not granted

  const std::uint32_t before = other.system().TickCount();
  EXPECT_EQ(other.kernel().Wait(second, 15000), wait::Timeout);
  EXPECT_EQ(other.system().TickCount() - before, 15000u);
  EXPECT_FALSE(other.kernel().ReleaseMutex(second));
  EXPECT_EQ(other.process().LastError(), 288u);  // ERROR_NOT_OWNER

  EXPECT_TRUE(kernel().ReleaseMutex(first));
  EXPECT_EQ(other.kernel().Wait(second, 15000), wait::Object0);
  EXPECT_EQ(kernel().Wait(first, 0), wait::Timeout);
  EXPECT_TRUE(other.kernel().ReleaseMutex(second));
  EXPECT_TRUE(other.kernel().Close(second));
  EXPECT_TRUE(kernel().Close(first));
  EXPECT_FALSE(platform::sim::SimKernelObjects::MutexExists(kName));
}

TEST_F(SimKernelObjectsTest, AProcessThatEndsHoldingTheMutexAbandonsIt) {
  bool existed = false;
  const Handle mine = kernel().CreateNamedMutex(kName, false, &existed);
  {
    platform::sim::SimTempFolder otherRoot;
    platform::sim::SimMachine other(otherRoot.path());
    const Handle theirs = other.kernel().CreateNamedMutex(kName, false, &existed);
    EXPECT_EQ(other.kernel().Wait(theirs, 0), wait::Object0);
  }
  EXPECT_EQ(kernel().Wait(mine, 100), wait::Abandoned);
  EXPECT_TRUE(sim().kernel().OwnsMutex(kName));
  EXPECT_TRUE(kernel().ReleaseMutex(mine));
  EXPECT_EQ(kernel().Wait(mine, 100), wait::Object0);  // abandoned once only
  kernel().ReleaseMutex(mine);
  kernel().Close(mine);
}

TEST_F(SimKernelObjectsTest, TestHoldersReleaseOnScheduleOrAbandon) {
  ASSERT_TRUE(sim().kernel().HoldMutex(kName, 2000));
  bool existed = false;
  const Handle h = kernel().CreateNamedMutex(kName, true, &existed);
  EXPECT_TRUE(existed);
  EXPECT_EQ(kernel().Wait(h, 1000), wait::Timeout);
  EXPECT_EQ(kernel().Wait(h, 1500), wait::Object0);  // released 2000 ms after it was taken
  EXPECT_EQ(sim().clock().Ticks() % 1000, 0u);
  kernel().ReleaseMutex(h);

  ASSERT_TRUE(sim().kernel().HoldMutex(kName));
  EXPECT_EQ(kernel().Wait(h, wait::Infinite), wait::Failed);  // would hang on Windows
  sim().kernel().AbandonHeldMutex(kName);
  EXPECT_EQ(kernel().Wait(h, wait::Infinite), wait::Abandoned);
  kernel().ReleaseMutex(h);
  kernel().Close(h);

  sim().kernel().FailMutexCreation(platform::err::AccessDenied);
  EXPECT_EQ(kernel().CreateNamedMutex(kName, true, &existed), platform::kNoHandle);
  EXPECT_EQ(kernel().Wait(0x1234, 0), wait::Failed);
}

// Every kind of handle is closed by the one Close; only processes, mutexes and events can be
// waited on, and a closed handle is gone for both.
TEST_F(SimKernelObjectsTest, CloseAndWaitWorkOnEveryKindOfHandle) {
  sim().PutFile(L"C:\\file.txt", "x");
  sim().PutProgram(L"C:\\tool.exe", {0, 0});
  bool existed = false;
  platform::StartedProcess started;
  ASSERT_TRUE(platform::processes().StartProcess(L"C:\\tool.exe", &started));
  Handle token = platform::kNoHandle;
  ASSERT_TRUE(platform::security().OpenProcessToken(8, &token));
  struct Case {
    const char* kind;
    Handle handle;
    std::uint32_t wait;
  };
  const Case cases[] = {
      {"process", started.process, wait::Object0},
      {"mutex", kernel().CreateNamedMutex(L"", false, &existed), wait::Object0},
      {"event", kernel().CreateNamedEvent(L"", true, true, &existed), wait::Object0},
      {"file", platform::files().Create(L"C:\\file.txt", platform::file::GenericRead,
                                        platform::file::ShareRead, platform::file::OpenExisting,
                                        platform::file::AttributeNormal),
       wait::Failed},
      {"token", token, wait::Failed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    ASSERT_NE(c.handle, platform::kNoHandle);
    EXPECT_EQ(kernel().Wait(c.handle, 0), c.wait);
    EXPECT_TRUE(kernel().Close(c.handle));
    EXPECT_EQ(kernel().Wait(c.handle, 0), wait::Failed);
    EXPECT_EQ(sim().process().LastError(), platform::err::InvalidHandle);
    EXPECT_FALSE(kernel().Close(c.handle));
  }
  EXPECT_EQ(sim().kernel().OpenHandleCount(), 0u);
}

TEST_F(SimKernelObjectsTest, EventsAreSharedByNameAndResetAsCreated) {
  bool existed = true;
  const Handle autoReset = kernel().CreateNamedEvent(L"Local\\Ready", false, false, &existed);
  EXPECT_FALSE(existed);
  platform::sim::SimTempFolder otherRoot;
  platform::sim::SimMachine other(otherRoot.path());
  const Handle theirs = other.kernel().CreateNamedEvent(L"Ready", true, true, &existed);
  EXPECT_TRUE(existed);  // "Local\" is the default namespace; the creator's kind holds
  EXPECT_EQ(kernel().Wait(autoReset, 10), wait::Timeout);
  EXPECT_TRUE(other.kernel().SetEvent(theirs));
  EXPECT_EQ(kernel().Wait(autoReset, 0), wait::Object0);
  EXPECT_EQ(other.kernel().Wait(theirs, 0), wait::Timeout);  // auto-reset: one waiter only
  // A name taken by an object of another kind cannot be opened as a mutex.
  EXPECT_EQ(kernel().CreateNamedMutex(L"Ready", false, &existed), platform::kNoHandle);
  EXPECT_FALSE(kernel().SetEvent(0x1234));
}

// Messages posted for the thread run during a dispatching wait at their virtual time, and
// may end the wait by signalling its object; a plain wait runs none of them.
TEST_F(SimKernelObjectsTest, DispatchingWaitRunsMessagesDueOnTheVirtualClock) {
  bool existed = false;
  const Handle done = kernel().CreateNamedEvent(L"", true, false, &existed);
  std::vector<std::uint64_t> ranAt;
  const std::uint64_t start = sim().clock().Ticks();
  auto tick = [&] { ranAt.push_back(sim().clock().Ticks() - start); };
  sim().kernel().PostMessageAfter(500, tick);
  sim().kernel().PostMessageAfter(200, tick);
  sim().kernel().PostMessageAfter(900, [&] {
    tick();
    kernel().SetEvent(done);
  });
  sim().kernel().PostMessageAfter(5000, tick);

  EXPECT_EQ(kernel().Wait(done, 100), wait::Timeout);
  EXPECT_TRUE(ranAt.empty());
  EXPECT_EQ(kernel().WaitDispatchingMessages(done, 300), wait::Timeout);  // to tick 400
  EXPECT_EQ(ranAt, (std::vector<std::uint64_t>{200}));
  EXPECT_EQ(kernel().WaitDispatchingMessages(done, wait::Infinite), wait::Object0);
  EXPECT_EQ(ranAt, (std::vector<std::uint64_t>{200, 500, 900}));
  EXPECT_EQ(sim().clock().Ticks() - start, 900u);
  EXPECT_EQ(sim().kernel().PendingMessageCount(), 1u);
  kernel().Close(done);
}

}  // namespace
