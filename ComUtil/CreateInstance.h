// Creating a COM object of a registered class for the interface the caller's pointer names.
#pragma once

#include <cstdint>

#include "ComUtil/ComPtr.h"
#include "ComUtil/Unknown.h"
#include "platform/Com.h"

namespace ComUtil {

// Clears *object, then creates an instance of `clsid` in `context` (no aggregation) for
// the interface `iid`. A failure is issued with this helper's own source place and thrown
// as _com_error (ThrowIfFailed).
void CreateInstanceOf(const platform::Guid& clsid, std::uint32_t context,
                      const platform::Guid& iid, void** object);

template <class Interface>
void CreateInstance(const platform::Guid& clsid, std::uint32_t context, Interface** object) {
  *object = nullptr;
  void* created = nullptr;
  CreateInstanceOf(clsid, context, InterfaceId<Interface>::value, &created);
  *object = static_cast<Interface*>(created);
}

template <class Interface>
void CreateInstance(const platform::Guid& clsid, std::uint32_t context,
                    ComPtr<Interface>* object) {
  CreateInstance(clsid, context, object->Receive());
}

}  // namespace ComUtil
