// Kernel objects of the simulated machine: closing and waiting on any handle of its one
// object table, named mutexes and events shared with other machines in the host process
// (a second machine, or a test holding a mutex with HoldMutex, acts as another process), and
// the thread's window messages. Waiting never blocks: the virtual clock moves by the
// time-out, or to the moment the object becomes signalled by itself (a process ends, a
// holder lets go); a wait that dispatches messages runs the messages due on the way.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/KernelObjects.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimObjects.h"
#include "platform/sim/SimProcess.h"

namespace platform::sim {

struct SimMutex;
struct SimFileMapping;

class SimKernelObjects : public KernelObjects {
 public:
  SimKernelObjects(SimClock& clock, SimProcess& process, SimObjectTable& objects);
  // Like a process that ends: mutexes this machine owns are abandoned.
  ~SimKernelObjects() override;
  SimKernelObjects(const SimKernelObjects&) = delete;
  SimKernelObjects& operator=(const SimKernelObjects&) = delete;

  Handle CreateNamedMutex(const std::wstring& name, bool initialOwner,
                          bool* alreadyExisted) override;
  // NotOwner when this machine does not own the mutex.
  bool ReleaseMutex(Handle mutex) override;
  Handle CreateNamedEvent(const std::wstring& name, bool manualReset, bool initiallySet,
                     bool* alreadyExisted) override;
  bool SetEvent(Handle event) override;
  // Memory shared by name with the other machines of the host process; a view keeps its
  // mapping alive.
  Handle CreateNamedFileMapping(const std::wstring& name, std::uint32_t size,
                                bool* alreadyExisted) override;
  std::uint8_t* MapView(Handle mapping) override;
  // InvalidAddress for a pointer that is not a view of this machine.
  bool UnmapView(std::uint8_t* view) override;
  // Object0 when the object is signalled by the deadline (a mutex free or already ours,
  // recursively; Abandoned when its owner went away without releasing it), Timeout
  // otherwise. An infinite wait that nothing but another action could end would hang
  // Windows: here it fails with PossibleDeadlock. A handle to an object that cannot be
  // waited on (a file, a token) fails with InvalidHandle.
  std::uint32_t Wait(Handle object, std::uint32_t milliseconds) override;
  // The same wait; the messages posted with PostMessageAt run when their tick is reached
  // on the way, in order, and may signal the object.
  std::uint32_t WaitDispatchingMessages(Handle object, std::uint32_t milliseconds) override;
  bool Close(Handle object) override;

  // --- Another process, for tests: holds the named mutex (created when missing) from now,
  // optionally releasing it by itself `releaseAfterMs` milliseconds of virtual time later.
  // HoldMutex fails when someone else owns it.
  bool HoldMutex(const std::wstring& name, std::optional<std::uint64_t> releaseAfterMs = {});
  void ReleaseHeldMutex(const std::wstring& name);
  // The holder ends without releasing: the next waiter gets Abandoned.
  void AbandonHeldMutex(const std::wstring& name);
  // The next `times` CreateNamedMutex calls fail with `error`.
  void FailMutexCreation(Win32Error error, int times = 1);
  // The next `times` CreateNamedFileMapping calls, or MapView calls, fail with `error`.
  void FailFileMappingCreation(Win32Error error, int times = 1) { mappingFailure_ = {error, times}; }
  void FailMapView(Win32Error error, int times = 1) { viewFailure_ = {error, times}; }
  // The bytes of the shared memory of that name, when it exists anywhere in the process.
  static std::optional<std::vector<std::uint8_t>> SharedMemory(const std::wstring& name);
  // Whether a manual-reset or auto-reset event of that name exists and is signalled.
  static bool EventIsSet(const std::wstring& name);
  std::size_t MappedViewCount() const { return views_.size(); }
  // Waits on handles to a T (say, SimRunningProcess) fail from now on (wait::Failed,
  // InvalidHandle).
  template <class T>
  void FailWaitsOn() {
    failsWaits_ = [](const SimObject& object) { return dynamic_cast<const T*>(&object) != nullptr; };
  }
  // A window message for this thread, run `afterMs` milliseconds of virtual time from now
  // by a wait that dispatches messages.
  void PostMessageAfter(std::uint64_t afterMs, std::function<void()> message);
  std::size_t PendingMessageCount() const { return messages_.size(); }

  // Whether a mutex of that name exists anywhere in the process, and whether this machine
  // owns it.
  static bool MutexExists(const std::wstring& name);
  bool OwnsMutex(const std::wstring& name) const;
  // Every handle this machine has open, of any kind (for leak checks).
  std::size_t OpenHandleCount() const { return objects_.Count(); }

 private:
  // A handle to a created or opened named object, with the last error that tells which;
  // kNoHandle with InvalidHandle when the name was taken by an object of another kind.
  Handle AddCreated(std::shared_ptr<SimObject> object, bool existed, bool* alreadyExisted);
  std::uint32_t WaitUntil(Handle object, std::uint32_t milliseconds, bool dispatch);
  bool RunNextMessageBy(std::uint64_t tick);
  // The holder lets go of a mutex it still owns, abandoning it or not.
  void EndHold(const std::wstring& name, bool abandon);

  SimClock& clock_;
  SimProcess& process_;
  SimObjectTable& objects_;
  struct Held {
    SimOwnerId holder;
    std::shared_ptr<SimMutex> mutex;
  };
  std::map<std::wstring, Held> held_;  // held for tests as "another process", by name
  std::multimap<std::uint64_t, std::function<void()>> messages_;  // by the tick they are due
  Win32Error createFailure_ = 0;
  int createFailures_ = 0;
  std::function<bool(const SimObject&)> failsWaits_;
  struct InjectedFailure {
    Win32Error error = 0;
    int times = 0;
    bool Take(SimProcess& process);  // true (last error set) while failures are left
  };
  InjectedFailure mappingFailure_;
  InjectedFailure viewFailure_;
  std::map<std::uint8_t*, std::shared_ptr<SimFileMapping>> views_;
};

}  // namespace platform::sim
