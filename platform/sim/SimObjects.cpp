#include "platform/sim/SimObjects.h"

#include <atomic>
#include <mutex>

namespace platform::sim {
namespace {

std::atomic<SimOwnerId> g_nextOwner{1};

// An entry lives while a handle or a test holder refers to its object; expired entries are
// dropped when their name is used again.
struct Namespace {
  std::mutex lock;
  std::map<std::wstring, std::weak_ptr<SimObject>> objects;
};

Namespace& Names() {
  static Namespace names;
  return names;
}

std::wstring Canonical(const std::wstring& name) {
  const std::wstring local = L"Local\\";
  return name.rfind(local, 0) == 0 ? name.substr(local.size()) : name;
}

}  // namespace

SimOwnerId NewSimOwnerId() { return g_nextOwner++; }

Handle SimObjectTable::Add(std::shared_ptr<SimObject> object) {
  const Handle handle = process_.NewHandle();
  objects_[handle] = std::move(object);
  return handle;
}

bool SimObjectTable::Close(Handle handle) {
  auto it = objects_.find(handle);
  if (it == objects_.end()) {
    process_.SetLastError(err::InvalidHandle);
    return false;
  }
  // Destroying the last reference may run an object's own clean-up, which must not see a
  // half-erased table.
  std::shared_ptr<SimObject> closing = std::move(it->second);
  objects_.erase(it);
  closing.reset();
  return true;
}

std::shared_ptr<SimObject> SimNamedObjects::Find(const std::wstring& name) {
  Namespace& names = Names();
  std::lock_guard<std::mutex> guard(names.lock);
  auto it = names.objects.find(Canonical(name));
  return it == names.objects.end() ? nullptr : it->second.lock();
}

void SimNamedObjects::Register(const std::wstring& name, const std::shared_ptr<SimObject>& object) {
  Namespace& names = Names();
  std::lock_guard<std::mutex> guard(names.lock);
  names.objects[Canonical(name)] = object;
}

}  // namespace platform::sim
