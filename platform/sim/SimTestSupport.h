// GoogleTest support for tests that run on the simulated machine (include it from tests
// only): each test gets a fresh host folder and a default machine installed as the
// process-wide one; both go away after the test.
//
//   class MyTest : public platform::sim::SimMachineTest {};
//   TEST_F(MyTest, ...) { sim().PutFile(L"C:\\a.txt", "x"); ... platform::files() ... }
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/Machine.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTempFolder.h"

namespace platform::sim {

class SimMachineTest : public ::testing::Test {
 protected:
  SimMachineTest()
      : machine_(std::make_unique<SimMachine>(folder_.path())), guard_(machine_->machine()) {}

  SimMachine& sim() { return *machine_; }
  const std::filesystem::path& hostRoot() const { return folder_.path(); }

 private:
  SimTempFolder folder_;
  std::unique_ptr<SimMachine> machine_;
  ScopedMachine guard_;
};

}  // namespace platform::sim
