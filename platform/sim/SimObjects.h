// The simulated process's handle table: one table of kernel objects (processes, mutexes,
// events, tokens, open files) for every service of a machine, so closing and waiting work on
// any handle the way CloseHandle and WaitForSingleObject do. Named objects (mutexes and
// events) live in one namespace shared by every machine in the host process, so a second
// machine, or a test acting as another program, sees the same object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/Types.h"
#include "platform/sim/SimProcess.h"

namespace platform::sim {

// Who waits or owns: each machine (one process) and each stand-in for another program has
// its own id, never reused.
using SimOwnerId = std::uintptr_t;
SimOwnerId NewSimOwnerId();

// One object handles refer to. Objects that cannot be waited on (tokens, files) keep the
// defaults.
class SimObject {
 public:
  virtual ~SimObject() = default;
  virtual bool Waitable() const { return false; }
  // The tick at which a wait by `waiter` is satisfied: `now` when it is signalled already, a
  // later tick when the object becomes signalled by itself then (a process ends, a holder
  // lets go), nothing when only another action can signal it.
  virtual std::optional<std::uint64_t> SignalledAt(SimOwnerId waiter, std::uint64_t now) const {
    (void)waiter;
    (void)now;
    return std::nullopt;
  }
  // What a satisfied wait takes (a mutex's ownership, an auto-reset event's signal), at the
  // tick SignalledAt gave: wait::Object0, or wait::Abandoned for a mutex whose owner went away.
  virtual std::uint32_t Acquire(SimOwnerId waiter, std::uint64_t now) {
    (void)waiter;
    (void)now;
    return wait::Object0;
  }
};

// An access token; a primary token unless duplicated for impersonation.
struct SimToken : SimObject {
  bool elevated = false;
  bool impersonation = false;
};

class SimObjectTable {
 public:
  explicit SimObjectTable(SimProcess& process) : process_(process), owner_(NewSimOwnerId()) {}
  SimObjectTable(const SimObjectTable&) = delete;
  SimObjectTable& operator=(const SimObjectTable&) = delete;

  // This process as an owner of mutexes and a waiter.
  SimOwnerId Owner() const { return owner_; }

  // A new handle for `object`.
  Handle Add(std::shared_ptr<SimObject> object);
  // The object of `handle` when it is a T; otherwise null with last error InvalidHandle.
  template <class T>
  T* Find(Handle handle) {
    return FindShared<T>(handle).get();  // the table keeps the object alive
  }
  // The same, shared: for what must outlive the handle (a mapped view keeps its mapping).
  template <class T>
  std::shared_ptr<T> FindShared(Handle handle) {
    auto it = objects_.find(handle);
    std::shared_ptr<T> object =
        it == objects_.end() ? nullptr : std::dynamic_pointer_cast<T>(it->second);
    if (object == nullptr) process_.SetLastError(err::InvalidHandle);
    return object;
  }
  // CloseHandle: InvalidHandle for a handle that is not open.
  bool Close(Handle handle);

  // Every open handle to a T, in handle order.
  template <class T, class Visit>
  void ForEach(Visit visit) const {
    for (const auto& [handle, object] : objects_)
      if (auto* typed = dynamic_cast<T*>(object.get())) visit(*typed);
  }
  template <class T>
  std::size_t Count() const {
    std::size_t count = 0;
    ForEach<T>([&count](const T&) { ++count; });
    return count;
  }
  std::size_t Count() const { return objects_.size(); }

 private:
  SimProcess& process_;
  const SimOwnerId owner_;
  std::map<Handle, std::shared_ptr<SimObject>> objects_;
};

// The namespace of named objects. "Local\" names the session namespace, the default one.
class SimNamedObjects {
 public:
  static std::shared_ptr<SimObject> Find(const std::wstring& name);
  // The object of that name, made by `make` when missing; *existed tells which. Null when
  // the name belongs to an object of another kind (Windows' ERROR_INVALID_HANDLE).
  template <class T, class Make>
  static std::shared_ptr<T> OpenOrCreate(const std::wstring& name, bool* existed, Make make) {
    std::shared_ptr<SimObject> found = Find(name);
    *existed = found != nullptr;
    if (found) return std::dynamic_pointer_cast<T>(found);
    std::shared_ptr<T> made = make();
    Register(name, made);
    return made;
  }

 private:
  static void Register(const std::wstring& name, const std::shared_ptr<SimObject>& object);
};

}  // namespace platform::sim
