// CHeapObject<Class, Interface>: a heap-allocated, reference-counted COM object. `Class`
// implements `Interface` (which derives from ComUtil::IUnknown); this template supplies
// QueryInterface, AddRef and Release. Create with `new` and hand to the first holder, who
// takes the first reference: the count starts at 0.
#pragma once

#include <atomic>
#include <cstdint>
#include <utility>

#include "ComUtil/Unknown.h"

namespace ComUtil {

template <class Class, class Interface>
class CHeapObject final : public Class {
 public:
  template <class... Args>
  explicit CHeapObject(Args&&... args) : Class(std::forward<Args>(args)...) {}

  // IUnknown and `Interface` give this object with a reference added; anything else gives
  // E_NOINTERFACE and a null pointer; a null out pointer gives E_POINTER.
  platform::HResult TAMBER_COM_CALL QueryInterface(const platform::Guid& iid,
                                                   void** object) override {
    if (object == nullptr) return kInvalidPointer;
    if (!(iid == kIidIUnknown) && !(iid == InterfaceId<Interface>::value)) {
      *object = nullptr;
      return platform::hr::NoInterface;
    }
    *object = static_cast<Interface*>(this);
    AddRef();
    return platform::hr::Ok;
  }

  std::uint32_t TAMBER_COM_CALL AddRef() override {
    return references_.fetch_add(1, std::memory_order_relaxed) + 1;
  }

  // Deletes the object when the last reference goes.
  std::uint32_t TAMBER_COM_CALL Release() override {
    std::uint32_t remaining = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (remaining == 0) delete this;
    return remaining;
  }

 private:
  ~CHeapObject() = default;

  std::atomic<std::uint32_t> references_{0};
};

// A new CHeapObject<Class, Interface> made from `args`, with the caller's first reference.
template <class Class, class Interface, class... Args>
Interface* NewReference(Args&&... args) {
  Interface* object = new CHeapObject<Class, Interface>(std::forward<Args>(args)...);
  object->AddRef();
  return object;
}

}  // namespace ComUtil
