// COM on the calling thread: apartment, error information, GUID texts.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Types.h"

namespace platform {

struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0, data3 = 0;
  std::array<std::uint8_t, 8> data4{};
  bool IsZero() const;
  bool operator==(const Guid& other) const;
};

// What IErrorInfo tells: description, source (a ProgID) and interface id. Each getter
// returns false when the underlying call fails.
class ErrorInfo {
 public:
  virtual ~ErrorInfo() = default;
  virtual bool Description(std::wstring* text) = 0;
  virtual bool Source(std::wstring* text) = 0;
  virtual bool InterfaceId(Guid* iid) = 0;
};

class Com {
 public:
  virtual ~Com() = default;

  // CoInitialize (single-threaded apartment) and CoUninitialize.
  virtual HResult Initialize() = 0;
  virtual void Uninitialize() = 0;
  // GetErrorInfo: the thread's current error information, taken (cleared) by the call;
  // null when there is none.
  virtual std::shared_ptr<ErrorInfo> TakeErrorInfo() = 0;
  // CoCreateInstance without aggregation: *object receives the interface pointer (a real COM
  // pointer on Windows, a simulated object in the simulated machine) or null on failure.
  virtual HResult CreateInstance(const Guid& clsid, std::uint32_t context, const Guid& iid,
                                 void** object) = 0;
  // CoCreateGuid: a new, unique GUID.
  virtual HResult CreateGuid(Guid* guid) = 0;
};

// StringFromGUID2 form: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case.
std::wstring GuidToString(const Guid& guid);
// The registry form back into a GUID (braces required, hex digits of either case), as
// IIDFromString reads it; false, with *guid all zero, for any other text.
bool GuidFromString(const std::wstring& text, Guid* guid);

}  // namespace platform
