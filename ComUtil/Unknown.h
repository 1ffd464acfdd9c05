// The portable root of every COM-style interface: QueryInterface by platform::Guid, AddRef
// and Release, in IUnknown's slot order and calling convention, so that on Windows an
// object of ours can be handed to COM as an IUnknown and a COM pointer can be used as one.
#pragma once

#include <cstdint>

#include "platform/Com.h"
#include "platform/Types.h"

// COM methods use __stdcall on 32-bit Windows; elsewhere there is one convention.
#if defined(_WIN32) && !defined(_WIN64)
#define TAMBER_COM_CALL __stdcall
#else
#define TAMBER_COM_CALL
#endif

namespace ComUtil {

// {00000000-0000-0000-C000-000000000046}
inline constexpr platform::Guid kIidIUnknown{0x00000000, 0x0000, 0x0000,
                                             {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// E_POINTER: a required out pointer was null.
constexpr platform::HResult kInvalidPointer = static_cast<platform::HResult>(0x80004003u);

class IUnknown {
 public:
  // Sets *object to this object seen as `iid` with one more reference and returns S_OK;
  // E_NOINTERFACE with *object null when the object has no such interface; E_POINTER
  // when `object` is null.
  virtual platform::HResult TAMBER_COM_CALL QueryInterface(const platform::Guid& iid,
                                                           void** object) = 0;
  // Returns the new reference count (for diagnostics only).
  virtual std::uint32_t TAMBER_COM_CALL AddRef() = 0;
  // Drops a reference; the object deletes itself at 0. Returns the new count.
  virtual std::uint32_t TAMBER_COM_CALL Release() = 0;

 protected:
  ~IUnknown() = default;
};

// The interface id of `Interface`: its static member kIid by default. Specialise it for
// interfaces that cannot carry one.
template <class Interface>
struct InterfaceId {
  static constexpr const platform::Guid& value = Interface::kIid;
};

template <>
struct InterfaceId<IUnknown> {
  static constexpr const platform::Guid& value = kIidIUnknown;
};

}  // namespace ComUtil
