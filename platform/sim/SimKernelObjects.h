// Named kernel objects of the simulated machine. Named mutexes live in one namespace shared
// by every SimMachine in the process, so a second machine (or a test holding a mutex with
// HoldMutex) acts as another process. Waiting never blocks: the virtual clock moves by the
// time-out, or to the moment a holder scheduled its release.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/KernelObjects.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimProcess.h"

namespace platform::sim {

struct SimMutex;  // a mutex object, shared by the handles of every machine

class SimKernelObjects : public KernelObjects {
 public:
  SimKernelObjects(SimClock& clock, SimProcess& process);
  // Like a process that ends: closes every handle; mutexes this machine owns are abandoned.
  ~SimKernelObjects() override;
  SimKernelObjects(const SimKernelObjects&) = delete;
  SimKernelObjects& operator=(const SimKernelObjects&) = delete;

  Handle CreateNamedMutex(const std::wstring& name, bool initialOwner,
                          bool* alreadyExisted) override;
  // Object0 when the mutex is free or already ours (recursively), Abandoned when its owner
  // went away without releasing it (the caller then owns it), Timeout when another owner
  // holds it past the time-out. An infinite wait on a mutex held for good would hang
  // Windows: here it fails with PossibleDeadlock.
  std::uint32_t Wait(Handle object, std::uint32_t milliseconds) override;
  // NotOwner when this machine does not own the mutex.
  bool ReleaseMutex(Handle mutex) override;
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

  // Whether a mutex of that name exists anywhere in the process, and whether this machine
  // owns it.
  static bool MutexExists(const std::wstring& name);
  bool OwnsMutex(const std::wstring& name) const;
  std::size_t OpenHandleCount() const { return handles_.size(); }

 private:
  SimMutex* MutexOf(Handle handle) const;
  std::uint32_t Acquire(SimMutex& mutex);
  void CloseAll();

  SimClock& clock_;
  SimProcess& process_;
  const std::uintptr_t ownerId_;  // this machine as an owner of mutexes
  std::map<Handle, std::shared_ptr<SimMutex>> handles_;
  std::map<std::wstring, std::shared_ptr<SimMutex>> held_;  // held for tests as "another process"
  Win32Error createFailure_ = 0;
  int createFailures_ = 0;
};

}  // namespace platform::sim
