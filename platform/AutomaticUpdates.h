// The Automatic Updates object of the Windows Update Agent (class AutomaticUpdates,
// interface IAutomaticUpdates), created through Com::CreateInstance. The interface is laid
// out as COM lays it out, so the pointer COM hands over on Windows is used as it is; the
// simulated machine provides an object of the same shape.
#pragma once

#include <cstdint>

#include "ComUtil/Unknown.h"
#include "platform/Com.h"
#include "platform/Types.h"

namespace platform {

// {BFE18E9C-6D87-4450-B37C-E02F0B373803}
inline constexpr Guid kClsidAutomaticUpdates{
    0xBFE18E9C, 0x6D87, 0x4450, {0xB3, 0x7C, 0xE0, 0x2F, 0x0B, 0x37, 0x38, 0x03}};
// In-process server and handler, local and remote server.
constexpr std::uint32_t kAutomaticUpdatesContext = 23;

class IAutomaticUpdates : public ComUtil::IUnknown {
 public:
  // {673425BF-C082-4C7C-BDFD-569464B8E0CE}
  static constexpr Guid kIid{0x673425BF, 0xC082, 0x4C7C,
                             {0xBD, 0xFD, 0x56, 0x94, 0x64, 0xB8, 0xE0, 0xCE}};

  // IDispatch's slots, which the interface derives from; the program never calls them.
  virtual HResult TAMBER_COM_CALL GetTypeInfoCount(std::uint32_t* count) = 0;
  virtual HResult TAMBER_COM_CALL GetTypeInfo(std::uint32_t index, std::uint32_t locale,
                                              void** info) = 0;
  virtual HResult TAMBER_COM_CALL GetIDsOfNames(const Guid& iid, void* names, std::uint32_t count,
                                                std::uint32_t locale, std::int32_t* ids) = 0;
  virtual HResult TAMBER_COM_CALL Invoke(std::int32_t member, const Guid& iid,
                                         std::uint32_t locale, std::uint16_t flags, void* params,
                                         void* result, void* exception,
                                         std::uint32_t* argumentError) = 0;
  // IAutomaticUpdates up to the two operations the program uses.
  virtual HResult TAMBER_COM_CALL DetectNow() = 0;
  virtual HResult TAMBER_COM_CALL Pause() = 0;
  virtual HResult TAMBER_COM_CALL Resume() = 0;

 protected:
  ~IAutomaticUpdates() = default;
};

}  // namespace platform
