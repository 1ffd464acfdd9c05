#include "platform/sim/SimKernelObjects.h"

#include <atomic>
#include <mutex>

#include "platform/sim/SimErrors.h"

namespace platform::sim {

struct SimMutex {
  std::wstring name;              // empty for an unnamed mutex
  std::uintptr_t owner = 0;       // 0: free
  std::uint32_t recursion = 0;
  bool abandoned = false;
  std::optional<std::uint64_t> releaseAt;  // tick at which a test holder lets go
};

namespace {

// Owner ids of machines and of the holders that tests create: never reused.
std::atomic<std::uintptr_t> g_nextOwner{1};

// The process-wide namespace of named mutexes. An entry lives while a handle or a test
// holder refers to it.
struct Namespace {
  std::mutex lock;
  std::map<std::wstring, std::weak_ptr<SimMutex>> mutexes;
};

Namespace& Names() {
  static Namespace names;
  return names;
}

// "Local\" names the session namespace, which is the default one.
std::wstring Canonical(const std::wstring& name) {
  const std::wstring local = L"Local\\";
  return name.rfind(local, 0) == 0 ? name.substr(local.size()) : name;
}

std::shared_ptr<SimMutex> Lookup(const std::wstring& name) {
  Namespace& names = Names();
  std::lock_guard<std::mutex> guard(names.lock);
  auto it = names.mutexes.find(Canonical(name));
  return it == names.mutexes.end() ? nullptr : it->second.lock();
}

// The mutex of that name, created when missing; *existed tells which.
std::shared_ptr<SimMutex> OpenOrCreate(const std::wstring& name, bool* existed) {
  Namespace& names = Names();
  std::lock_guard<std::mutex> guard(names.lock);
  std::weak_ptr<SimMutex>& slot = names.mutexes[Canonical(name)];
  std::shared_ptr<SimMutex> mutex = slot.lock();
  *existed = mutex != nullptr;
  if (!mutex) {
    mutex = std::make_shared<SimMutex>();
    mutex->name = Canonical(name);
    slot = mutex;
  }
  return mutex;
}

void Forget(const std::shared_ptr<SimMutex>& mutex) {
  if (mutex->name.empty()) return;
  Namespace& names = Names();
  std::lock_guard<std::mutex> guard(names.lock);
  auto it = names.mutexes.find(mutex->name);
  if (it != names.mutexes.end() && it->second.use_count() <= 1) names.mutexes.erase(it);
}

void Abandon(SimMutex& mutex) {
  mutex.owner = 0;
  mutex.recursion = 0;
  mutex.abandoned = true;
  mutex.releaseAt.reset();
}

}  // namespace

SimKernelObjects::SimKernelObjects(SimClock& clock, SimProcess& process)
    : clock_(clock), process_(process), ownerId_(g_nextOwner++) {}

SimKernelObjects::~SimKernelObjects() { CloseAll(); }

void SimKernelObjects::CloseAll() {
  for (auto& [handle, mutex] : handles_)
    if (mutex->owner == ownerId_) Abandon(*mutex);
  std::map<Handle, std::shared_ptr<SimMutex>> closing;
  closing.swap(handles_);
  for (auto& [handle, mutex] : closing) {
    std::shared_ptr<SimMutex> last = std::move(mutex);
    Forget(last);
  }
  std::map<std::wstring, std::shared_ptr<SimMutex>> held;
  held.swap(held_);
  for (auto& [name, mutex] : held) {
    if (mutex->owner != 0) Abandon(*mutex);
    std::shared_ptr<SimMutex> last = std::move(mutex);
    Forget(last);
  }
}

Handle SimKernelObjects::CreateNamedMutex(const std::wstring& name, bool initialOwner,
                                          bool* alreadyExisted) {
  *alreadyExisted = false;
  if (createFailures_ > 0) {
    --createFailures_;
    process_.SetLastError(createFailure_);
    return kNoHandle;
  }
  bool existed = false;
  std::shared_ptr<SimMutex> mutex =
      name.empty() ? std::make_shared<SimMutex>() : OpenOrCreate(name, &existed);
  if (!existed && initialOwner) {
    mutex->owner = ownerId_;
    mutex->recursion = 1;
  }
  const Handle handle = process_.NewHandle();
  handles_[handle] = mutex;
  *alreadyExisted = existed;
  process_.SetLastError(existed ? err::AlreadyExists : err::Success);
  return handle;
}

SimMutex* SimKernelObjects::MutexOf(Handle handle) const {
  auto it = handles_.find(handle);
  return it == handles_.end() ? nullptr : it->second.get();
}

std::uint32_t SimKernelObjects::Acquire(SimMutex& mutex) {
  const bool wasAbandoned = mutex.abandoned;
  mutex.abandoned = false;
  mutex.owner = ownerId_;
  ++mutex.recursion;
  return wasAbandoned ? wait::Abandoned : wait::Object0;
}

std::uint32_t SimKernelObjects::Wait(Handle object, std::uint32_t milliseconds) {
  SimMutex* mutex = MutexOf(object);
  if (mutex == nullptr) {
    process_.SetLastError(err::InvalidHandle);
    return wait::Failed;
  }
  if (mutex->owner == 0 || mutex->owner == ownerId_) return Acquire(*mutex);
  const bool infinite = milliseconds == wait::Infinite;
  const std::uint64_t deadline = clock_.Ticks() + milliseconds;
  if (mutex->releaseAt && (infinite || *mutex->releaseAt <= deadline)) {
    if (*mutex->releaseAt > clock_.Ticks()) clock_.Advance(*mutex->releaseAt - clock_.Ticks());
    mutex->owner = 0;
    mutex->recursion = 0;
    mutex->releaseAt.reset();
    return Acquire(*mutex);
  }
  if (infinite) {
    process_.SetLastError(simerr::PossibleDeadlock);
    return wait::Failed;
  }
  clock_.Advance(milliseconds);
  return wait::Timeout;
}

bool SimKernelObjects::ReleaseMutex(Handle handle) {
  SimMutex* mutex = MutexOf(handle);
  if (mutex == nullptr) {
    process_.SetLastError(err::InvalidHandle);
    return false;
  }
  if (mutex->owner != ownerId_) {
    process_.SetLastError(simerr::NotOwner);
    return false;
  }
  if (--mutex->recursion == 0) mutex->owner = 0;
  return true;
}

bool SimKernelObjects::Close(Handle handle) {
  auto it = handles_.find(handle);
  if (it == handles_.end()) {
    process_.SetLastError(err::InvalidHandle);
    return false;
  }
  std::shared_ptr<SimMutex> mutex = std::move(it->second);
  handles_.erase(it);
  Forget(mutex);
  return true;
}

// --- Another process, for tests.

bool SimKernelObjects::HoldMutex(const std::wstring& name,
                                 std::optional<std::uint64_t> releaseAfterMs) {
  bool existed = false;
  std::shared_ptr<SimMutex> mutex = OpenOrCreate(name, &existed);
  if (mutex->owner != 0) return false;
  mutex->owner = g_nextOwner++;
  mutex->recursion = 1;
  mutex->abandoned = false;
  if (releaseAfterMs) mutex->releaseAt = clock_.Ticks() + *releaseAfterMs;
  held_[Canonical(name)] = mutex;
  return true;
}

void SimKernelObjects::ReleaseHeldMutex(const std::wstring& name) {
  auto it = held_.find(Canonical(name));
  if (it == held_.end()) return;
  it->second->owner = 0;
  it->second->recursion = 0;
  it->second->releaseAt.reset();
  std::shared_ptr<SimMutex> mutex = std::move(it->second);
  held_.erase(it);
  Forget(mutex);
}

void SimKernelObjects::AbandonHeldMutex(const std::wstring& name) {
  auto it = held_.find(Canonical(name));
  if (it == held_.end()) return;
  Abandon(*it->second);
  std::shared_ptr<SimMutex> mutex = std::move(it->second);
  held_.erase(it);
  Forget(mutex);
}

void SimKernelObjects::FailMutexCreation(Win32Error error, int times) {
  createFailure_ = error;
  createFailures_ = times;
}

bool SimKernelObjects::MutexExists(const std::wstring& name) { return Lookup(name) != nullptr; }

bool SimKernelObjects::OwnsMutex(const std::wstring& name) const {
  std::shared_ptr<SimMutex> mutex = Lookup(name);
  return mutex && mutex->owner == ownerId_;
}

}  // namespace platform::sim
