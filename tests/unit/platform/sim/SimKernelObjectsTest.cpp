// Named mutexes across simulated processes, and waits on virtual time.
#include <gtest/gtest.h>

#include <memory>

#include "platform/KernelObjects.h"
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

}  // namespace
