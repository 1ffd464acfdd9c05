#include "platform/sim/SimKernelObjects.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/sim/SimErrors.h"

namespace platform::sim {

struct SimMutex : SimObject {
  SimOwnerId owner = 0;  // 0: free
  std::uint32_t recursion = 0;
  bool abandoned = false;
  std::optional<std::uint64_t> releaseAt;  // tick at which a test holder lets go

  bool Waitable() const override { return true; }
  std::optional<std::uint64_t> SignalledAt(SimOwnerId waiter, std::uint64_t now) const override {
    if (owner == 0 || owner == waiter) return now;
    if (releaseAt) return std::max(now, *releaseAt);
    return std::nullopt;
  }
  std::uint32_t Acquire(SimOwnerId waiter, std::uint64_t) override {
    if (owner != waiter) Free();  // free already, or its holder's release time has come
    const bool wasAbandoned = std::exchange(abandoned, false);
    owner = waiter;
    ++recursion;
    return wasAbandoned ? wait::Abandoned : wait::Object0;
  }
  void Free() {
    owner = 0;
    recursion = 0;
    releaseAt.reset();
  }
  void Abandon() {
    Free();
    abandoned = true;
  }
};

struct SimFileMapping : SimObject {
  std::vector<std::uint8_t> bytes;  // never resized: views point into it
};

namespace {

struct SimEvent : SimObject {
  bool manualReset = false;
  bool set = false;

  bool Waitable() const override { return true; }
  std::optional<std::uint64_t> SignalledAt(SimOwnerId, std::uint64_t now) const override {
    if (set) return now;
    return std::nullopt;
  }
  std::uint32_t Acquire(SimOwnerId, std::uint64_t) override {
    if (!manualReset) set = false;
    return wait::Object0;
  }
};

// Creating a named object that exists opens it; last error tells which happened.
template <class T>
std::shared_ptr<T> OpenOrCreateNamed(const std::wstring& name, bool* existed) {
  *existed = false;
  if (name.empty()) return std::make_shared<T>();
  return SimNamedObjects::OpenOrCreate<T>(name, existed, [] { return std::make_shared<T>(); });
}

}  // namespace

SimKernelObjects::SimKernelObjects(SimClock& clock, SimProcess& process, SimObjectTable& objects)
    : clock_(clock), process_(process), objects_(objects) {}

SimKernelObjects::~SimKernelObjects() {
  objects_.ForEach<SimMutex>([this](SimMutex& mutex) {
    if (mutex.owner == objects_.Owner()) mutex.Abandon();
  });
  while (!held_.empty()) EndHold(held_.begin()->first, true);
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
  std::shared_ptr<SimMutex> mutex = OpenOrCreateNamed<SimMutex>(name, &existed);
  if (mutex && !existed && initialOwner) {
    mutex->owner = objects_.Owner();
    mutex->recursion = 1;
  }
  return AddCreated(mutex, existed, alreadyExisted);
}

Handle SimKernelObjects::AddCreated(std::shared_ptr<SimObject> object, bool existed,
                                    bool* alreadyExisted) {
  *alreadyExisted = false;
  if (!object) {  // the name belongs to an object of another kind
    process_.SetLastError(err::InvalidHandle);
    return kNoHandle;
  }
  const Handle handle = objects_.Add(std::move(object));
  *alreadyExisted = existed;
  process_.SetLastError(existed ? err::AlreadyExists : err::Success);
  return handle;
}

bool SimKernelObjects::ReleaseMutex(Handle handle) {
  SimMutex* mutex = objects_.Find<SimMutex>(handle);
  if (mutex == nullptr) return false;
  if (mutex->owner != objects_.Owner()) {
    process_.SetLastError(simerr::NotOwner);
    return false;
  }
  if (--mutex->recursion == 0) mutex->owner = 0;
  return true;
}

Handle SimKernelObjects::CreateNamedEvent(const std::wstring& name, bool manualReset, bool initiallySet,
                                     bool* alreadyExisted) {
  bool existed = false;
  std::shared_ptr<SimEvent> event = OpenOrCreateNamed<SimEvent>(name, &existed);
  if (event && !existed) {
    event->manualReset = manualReset;
    event->set = initiallySet;
  }
  return AddCreated(event, existed, alreadyExisted);
}

bool SimKernelObjects::SetEvent(Handle handle) {
  SimEvent* event = objects_.Find<SimEvent>(handle);
  if (event == nullptr) return false;
  event->set = true;
  return true;
}

bool SimKernelObjects::InjectedFailure::Take(SimProcess& process) {
  if (times <= 0) return false;
  --times;
  process.SetLastError(error);
  return true;
}

Handle SimKernelObjects::CreateNamedFileMapping(const std::wstring& name, std::uint32_t size,
                                                bool* alreadyExisted) {
  *alreadyExisted = false;
  if (mappingFailure_.Take(process_)) return kNoHandle;
  bool existed = false;
  std::shared_ptr<SimFileMapping> mapping = OpenOrCreateNamed<SimFileMapping>(name, &existed);
  if (mapping && !existed) mapping->bytes.assign(size, 0);
  return AddCreated(mapping, existed, alreadyExisted);
}

std::uint8_t* SimKernelObjects::MapView(Handle handle) {
  std::shared_ptr<SimFileMapping> mapping = objects_.FindShared<SimFileMapping>(handle);
  if (mapping == nullptr || viewFailure_.Take(process_)) return nullptr;
  std::uint8_t* view = mapping->bytes.data();
  views_[view] = mapping;
  return view;
}

bool SimKernelObjects::UnmapView(std::uint8_t* view) {
  constexpr Win32Error kInvalidAddress = 487;
  if (views_.erase(view) == 0) {
    process_.SetLastError(kInvalidAddress);
    return false;
  }
  return true;
}

std::optional<std::vector<std::uint8_t>> SimKernelObjects::SharedMemory(const std::wstring& name) {
  auto mapping = std::dynamic_pointer_cast<SimFileMapping>(SimNamedObjects::Find(name));
  if (!mapping) return std::nullopt;
  return mapping->bytes;
}

bool SimKernelObjects::EventIsSet(const std::wstring& name) {
  auto event = std::dynamic_pointer_cast<SimEvent>(SimNamedObjects::Find(name));
  return event && event->set;
}

std::uint32_t SimKernelObjects::Wait(Handle object, std::uint32_t milliseconds) {
  return WaitUntil(object, milliseconds, false);
}

std::uint32_t SimKernelObjects::WaitDispatchingMessages(Handle object, std::uint32_t milliseconds) {
  return WaitUntil(object, milliseconds, true);
}

std::uint32_t SimKernelObjects::WaitUntil(Handle handle, std::uint32_t milliseconds,
                                          bool dispatch) {
  const bool infinite = milliseconds == wait::Infinite;
  const std::uint64_t deadline =
      infinite ? std::numeric_limits<std::uint64_t>::max() : clock_.Ticks() + milliseconds;
  for (;;) {
    // Found again after every message: a message may close or signal the object.
    SimObject* object = objects_.Find<SimObject>(handle);
    if (object == nullptr) return wait::Failed;
    if (!object->Waitable() || (failsWaits_ && failsWaits_(*object))) {
      process_.SetLastError(err::InvalidHandle);
      return wait::Failed;
    }
    const std::optional<std::uint64_t> at = object->SignalledAt(objects_.Owner(), clock_.Ticks());
    const std::uint64_t until = at && *at <= deadline ? *at : deadline;
    if (dispatch && RunNextMessageBy(until)) continue;
    if (at && *at <= deadline) {
      clock_.Advance(*at - clock_.Ticks());
      return object->Acquire(objects_.Owner(), *at);
    }
    if (infinite) {
      process_.SetLastError(simerr::PossibleDeadlock);
      return wait::Failed;
    }
    clock_.Advance(deadline - clock_.Ticks());
    return wait::Timeout;
  }
}

bool SimKernelObjects::RunNextMessageBy(std::uint64_t tick) {
  if (messages_.empty() || messages_.begin()->first > tick) return false;
  auto next = messages_.begin();
  if (next->first > clock_.Ticks()) clock_.Advance(next->first - clock_.Ticks());
  std::function<void()> message = std::move(next->second);
  messages_.erase(next);
  message();
  return true;
}

void SimKernelObjects::PostMessageAfter(std::uint64_t afterMs, std::function<void()> message) {
  messages_.emplace(clock_.Ticks() + afterMs, std::move(message));
}

bool SimKernelObjects::Close(Handle handle) { return objects_.Close(handle); }

// --- Another process, for tests.

bool SimKernelObjects::HoldMutex(const std::wstring& name,
                                 std::optional<std::uint64_t> releaseAfterMs) {
  bool existed = false;
  std::shared_ptr<SimMutex> mutex = OpenOrCreateNamed<SimMutex>(name, &existed);
  if (!mutex || mutex->owner != 0) return false;
  mutex->owner = NewSimOwnerId();
  mutex->recursion = 1;
  mutex->abandoned = false;
  if (releaseAfterMs) mutex->releaseAt = clock_.Ticks() + *releaseAfterMs;
  held_[name] = Held{mutex->owner, mutex};
  return true;
}

void SimKernelObjects::ReleaseHeldMutex(const std::wstring& name) { EndHold(name, false); }

void SimKernelObjects::AbandonHeldMutex(const std::wstring& name) { EndHold(name, true); }

void SimKernelObjects::EndHold(const std::wstring& name, bool abandon) {
  auto it = held_.find(name);
  if (it == held_.end()) return;
  // A holder whose release time has passed gave the mutex to a waiter already.
  SimMutex& mutex = *it->second.mutex;
  if (mutex.owner == it->second.holder) abandon ? mutex.Abandon() : mutex.Free();
  held_.erase(it);
}

void SimKernelObjects::FailMutexCreation(Win32Error error, int times) {
  createFailure_ = error;
  createFailures_ = times;
}

bool SimKernelObjects::MutexExists(const std::wstring& name) {
  return std::dynamic_pointer_cast<SimMutex>(SimNamedObjects::Find(name)) != nullptr;
}

bool SimKernelObjects::OwnsMutex(const std::wstring& name) const {
  auto mutex = std::dynamic_pointer_cast<SimMutex>(SimNamedObjects::Find(name));
  return mutex && mutex->owner == objects_.Owner();
}

}  // namespace platform::sim
