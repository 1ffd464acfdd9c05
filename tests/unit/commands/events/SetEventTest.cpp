// "set-event" against a waiting program played by a second simulated machine, which shares
// the named objects of the host process.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Com.h"
#include "platform/sim/SimErrors.h"
#include "setup/commands/events/EventCommands.h"
#include "tests/unit/support/SimSessionSupport.h"

namespace {

const std::wstring kMutex = L"Local\\CrossProcessMutex:Memory:Event:Ready";
const std::wstring kMemory = L"Local\\CrossProcessMemory:Event:Ready";
const platform::Guid kWaited{0x6B29FC40, 0xCA47, 0x1067, {0xB3, 0x1D, 0x00, 0xDD, 0xC4, 0xCA, 0x4E, 0xD3}};
const std::wstring kWaitedEvent = L"Local\\CrossProcessEvent:{6B29FC40-CA47-1067-B31D-00DDC4CA4ED3}";
// The GUID's binary layout after the waiting side's own 4 bytes.
const std::vector<std::uint8_t> kWaitedMemory{0xAA, 0xBB, 0xCC, 0xDD, 0x40, 0xFC, 0x29, 0x6B, 0x47, 0xCA,
                                              0x67, 0x10, 0xB3, 0x1D, 0x00, 0xDD, 0xC4, 0xCA, 0x4E, 0xD3};

// The waiting program: the mutex and the shared memory with the GUID it waits on, and that
// event.
class Waiter {
 public:
  explicit Waiter(const std::filesystem::path& root) : machine_(root) {
    platform::sim::SimKernelObjects& kernel = machine_.kernel();
    bool existed = false;
    mutex_ = kernel.CreateNamedMutex(kMutex, false, &existed);
    mapping_ = kernel.CreateNamedFileMapping(kMemory, 20, &existed);
    view_ = kernel.MapView(mapping_);
    std::copy(kWaitedMemory.begin(), kWaitedMemory.end(), view_);
    event_ = kernel.CreateNamedEvent(kWaitedEvent, true, false, &existed);
  }
  platform::sim::SimKernelObjects& kernel() { return machine_.kernel(); }
  // Whether the waiter could take the mutex now (and gives it back).
  bool MutexFree() {
    if (kernel().Wait(mutex_, 0) != platform::wait::Object0) return false;
    return kernel().ReleaseMutex(mutex_);
  }

 private:
  platform::sim::SimMachine machine_;
  platform::Handle mutex_, mapping_, event_;
  std::uint8_t* view_;
};

class SetEvent : public sessiontest::SessionTest {
 protected:
  void SetUp() override {
    sim().registry().PutDword(platform::kHkeyCurrentUser, logtest::kProgramKey, L"SeverityDebug", 1);
    ASSERT_TRUE(logging::OpenLog(0, true, true));
  }

  std::vector<std::string> Run(const std::wstring& text) {
    const std::size_t before = Messages().size();
    setup::CommandParameters line;
    line.Parse(text);
    line.SetResult(setup::LineResult::Failure);
    setup::RunCommandSetEvent(line);
    EXPECT_EQ(line.Result(), L"success");
    std::vector<std::string> all = Messages();
    return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
  }

  std::unique_ptr<Waiter> StartWaiter() { return std::make_unique<Waiter>(hostRoot() / "waiter"); }
};

TEST_F(SetEvent, AWaiterIsWokenAndGivenANewGuid) {
  auto waiter = StartWaiter();
  const std::size_t handles = sim().kernel().OpenHandleCount();
  const std::vector<std::string> log = Run(L"set-event|name=Ready");
  EXPECT_TRUE(platform::sim::SimKernelObjects::EventIsSet(kWaitedEvent));
  const auto memory = platform::sim::SimKernelObjects::SharedMemory(kMemory);
  ASSERT_TRUE(memory);
  EXPECT_EQ(std::vector<std::uint8_t>(memory->begin(), memory->begin() + 4),
            std::vector<std::uint8_t>(kWaitedMemory.begin(), kWaitedMemory.begin() + 4));
  EXPECT_NE(*memory, kWaitedMemory);
  EXPECT_EQ(log, (std::vector<std::string>{
      "Info\tRunCommandSetEvent\tConfiguring cross-process event 'Ready'.",
      "Debug\tRunCommandSetEvent\tCreating cross-process mutex 'Local\\CrossProcessMutex:Memory:Event:Ready'.",
      "Debug\tRunCommandSetEvent\tOpening shared memory: 'Local\\CrossProcessMemory:Event:Ready'.",
      "Debug\tRunCommandSetEvent\tCross-process mutex exists, shared memory guid is "
      "'{6B29FC40-CA47-1067-B31D-00DDC4CA4ED3}', creating event "
      "'Local\\CrossProcessEvent:{6B29FC40-CA47-1067-B31D-00DDC4CA4ED3}'.",
      "Debug\tRunCommandSetEvent\tWriting new guid '{6B29FC40-CA47-1067-B31D-000000000001}' to shared "
      "memory, releasing the mutex and setting the event.",
      "Info\tRunCommandSetEvent\tEvent set."}));
  EXPECT_TRUE(waiter->MutexFree());
  EXPECT_EQ(sim().kernel().OpenHandleCount(), handles);
  EXPECT_EQ(sim().kernel().MappedViewCount(), 0u);

  // A second line with a waiter that has not re-armed signals the event of the GUID the
  // first one wrote: a new event nobody waits on.
  const std::vector<std::string> again = Run(L"set-event|name=Ready");
  EXPECT_EQ(again.back(), "Info\tRunCommandSetEvent\tEvent set.");
  EXPECT_NE(std::find(again.begin(), again.end(),
                      "Debug\tRunCommandSetEvent\tCross-process mutex exists, shared memory guid is "
                      "'{6B29FC40-CA47-1067-B31D-000000000001}', creating event "
                      "'Local\\CrossProcessEvent:{6B29FC40-CA47-1067-B31D-000000000001}'."),
            again.end());
}

TEST_F(SetEvent, EachFailureIsLoggedAndTheLineSucceeds) {
  using platform::sim::SimKernelObjects;
  struct Case {
    const char* what;
    bool waiter;
    std::function<void(platform::sim::SimMachine&, Waiter*)> arrange;
    std::wstring line;
    std::vector<std::string> log;  // Info and Error lines
    bool eventSet;
  };
  const Case cases[] = {
      {"no waiter: the mutex made here is gone again", false, nullptr, L"set-event|name=Ready",
       {"Info\tRunCommandSetEvent\tConfiguring cross-process event 'Ready'.",
        "Info\tRunCommandSetEvent\tAn event named 'Ready' does not exist."},
       false},
      {"a missing name: the objects of the empty name are used", false, nullptr, L"set-event",
       {"Error\tRunCommandSetEvent\tThe event name must be specified in the 'name' parameter for the "
        "'set-event' command.",
        "Info\tRunCommandSetEvent\tConfiguring cross-process event ''.",
        "Info\tRunCommandSetEvent\tAn event named '' does not exist."},
       false},
      {"the mutex cannot be created", true,
       [](platform::sim::SimMachine& m, Waiter*) { m.kernel().FailMutexCreation(platform::err::AccessDenied); },
       L"set-event|name=Ready",
       {"Info\tRunCommandSetEvent\tConfiguring cross-process event 'Ready'.",
        "Info\tRunCommandSetEvent\tCould not create mutex (0x5), process assumed not running."},
       false},
      {"the shared memory cannot be opened", true,
       [](platform::sim::SimMachine& m, Waiter*) { m.kernel().FailFileMappingCreation(platform::err::AccessDenied); },
       L"set-event|name=Ready",
       {"Info\tRunCommandSetEvent\tConfiguring cross-process event 'Ready'.",
        "Error\tRunCommandSetEvent\tCould not create file mapping, error code: 0x5."},
       false},
      {"the view cannot be mapped", true,
       [](platform::sim::SimMachine& m, Waiter*) { m.kernel().FailMapView(platform::err::NotEnoughMemory); },
       L"set-event|name=Ready",
       {"Info\tRunCommandSetEvent\tConfiguring cross-process event 'Ready'.",
        "Error\tRunCommandSetEvent\tCould not map the view of the memory file, error code: 0x8."},
       false},
      {"the waiter left the mutex abandoned", true,
       [](platform::sim::SimMachine&, Waiter* w) {
         ASSERT_TRUE(w->kernel().HoldMutex(kMutex));
         w->kernel().AbandonHeldMutex(kMutex);
       },
       L"set-event|name=Ready",
       {"Info\tRunCommandSetEvent\tConfiguring cross-process event 'Ready'.",
        "Error\tRunCommandSetEvent\tUnexpected return code while waiting for event, error code: 0xB7."},
       false},
      {"the waiter holds the mutex for ever", true,
       [](platform::sim::SimMachine&, Waiter* w) { ASSERT_TRUE(w->kernel().HoldMutex(kMutex)); },
       L"set-event|name=Ready",
       {"Info\tRunCommandSetEvent\tConfiguring cross-process event 'Ready'.",
        "Error\tRunCommandSetEvent\tUnexpected return code while waiting for event, error code: 0x46B."},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<Waiter> waiter = c.waiter ? StartWaiter() : nullptr;
    if (c.arrange) c.arrange(sim(), waiter.get());
    std::vector<std::string> log;
    for (const std::string& message : Run(c.line))
      if (message.rfind("Debug\t", 0) != 0) log.push_back(message);
    EXPECT_EQ(log, c.log);
    EXPECT_EQ(SimKernelObjects::EventIsSet(kWaitedEvent), c.eventSet);
    EXPECT_FALSE(sim().kernel().OwnsMutex(kMutex));  // released on every path
    EXPECT_EQ(SimKernelObjects::MutexExists(kMutex), c.waiter);
    if (c.waiter) EXPECT_EQ(SimKernelObjects::SharedMemory(kMemory), kWaitedMemory);
    waiter.reset();
  }
}

}  // namespace
