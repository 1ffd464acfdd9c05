#include "platform/sim/SimWindowsUpdate.h"

#include "ComUtil/HeapObject.h"
#include "platform/AutomaticUpdates.h"

namespace platform::sim {
namespace {

class AutomaticUpdates : public IAutomaticUpdates {
 public:
  explicit AutomaticUpdates(std::shared_ptr<SimWindowsUpdate::State> state)
      : state_(std::move(state)) {
    ++state_->liveObjects;
  }
  ~AutomaticUpdates() { --state_->liveObjects; }

  HResult TAMBER_COM_CALL GetTypeInfoCount(std::uint32_t*) override { return hr::NotImpl; }
  HResult TAMBER_COM_CALL GetTypeInfo(std::uint32_t, std::uint32_t, void**) override {
    return hr::NotImpl;
  }
  HResult TAMBER_COM_CALL GetIDsOfNames(const Guid&, void*, std::uint32_t, std::uint32_t,
                                        std::int32_t*) override {
    return hr::NotImpl;
  }
  HResult TAMBER_COM_CALL Invoke(std::int32_t, const Guid&, std::uint32_t, std::uint16_t, void*,
                                 void*, void*, std::uint32_t*) override {
    return hr::NotImpl;
  }
  HResult TAMBER_COM_CALL DetectNow() override { return hr::Ok; }
  HResult TAMBER_COM_CALL Pause() override {
    ++state_->pauseCalls;
    if (hr::Succeeded(state_->pauseResult)) state_->paused = true;
    return state_->pauseResult;
  }
  HResult TAMBER_COM_CALL Resume() override {
    ++state_->resumeCalls;
    if (hr::Succeeded(state_->resumeResult)) state_->paused = false;
    return state_->resumeResult;
  }

 private:
  std::shared_ptr<SimWindowsUpdate::State> state_;
};

}  // namespace

HResult SimWindowsUpdate::Create(const Guid& iid, void** object) {
  *object = nullptr;
  if (hr::Failed(state_->creationResult)) return state_->creationResult;
  // Held while asked for the interface, so that an interface it lacks frees it again.
  auto* created = new ComUtil::CHeapObject<AutomaticUpdates, IAutomaticUpdates>(state_);
  created->AddRef();
  const HResult result = created->QueryInterface(iid, object);
  created->Release();
  return result;
}

}  // namespace platform::sim
