#include "platform/sim/SimSecondInstance.h"

#include <memory>

#include "logging/Log.h"
#include "logging/Logger.h"
#include "platform/sim/SimMachine.h"
#include "setup/session/ProcessState.h"
#include "setup/session/Tamber4Setup.h"

namespace platform::sim {
namespace {

// What belongs to one process of the program and must look fresh to the second one.
class SetAsideProcess {
 public:
  SetAsideProcess(SimMachine& machine, bool elevated)
      : machine_(machine),
        processId_(machine.process().ProcessId()),
        threadId_(machine.process().ThreadId()),
        elevated_(machine.security().IsElevated()),
        programState_(setup::processState()),
        logMask_(logging::LogSeverityMask.load()),
        log_(logging::ExchangeProcessLogger(
            std::make_unique<logging::Logger>(logging::LogSeverityMask))) {
    logging::LogSeverityMask.store(0);
    machine.process().SetIds(processId_ + 0x100, threadId_ + 0x100);
    machine.security().SetElevated(elevated);
  }

  ~SetAsideProcess() {
    logging::ExchangeProcessLogger(std::move(log_))->Close();
    logging::LogSeverityMask.store(logMask_);
    setup::processState() = programState_;
    machine_.security().SetElevated(elevated_);
    machine_.process().SetIds(processId_, threadId_);
  }

  SetAsideProcess(const SetAsideProcess&) = delete;
  SetAsideProcess& operator=(const SetAsideProcess&) = delete;

 private:
  SimMachine& machine_;
  const std::uint32_t processId_;
  const std::uint32_t threadId_;
  const bool elevated_;
  const setup::ProcessState programState_;
  const std::uint32_t logMask_;
  std::unique_ptr<logging::Logger> log_;
};

}  // namespace

std::uint32_t RunSecondInstance(SimMachine& machine, const std::wstring& commandLine,
                                bool elevated) {
  SetAsideProcess firstInstance(machine, elevated);
  return static_cast<std::uint32_t>(
      setup::TamberMain(machine.process().ExecutableModule(), commandLine));
}

}  // namespace platform::sim
