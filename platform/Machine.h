// The one process-wide access point to the system, as the Windows API itself is
// process-wide. The entry point installs the real Windows services; tests and tamber4sim
// install a simulated machine with ScopedMachine, which restores the previous one when it
// goes out of scope.
//
// Adding a service: declare its interface in its own header, add one line to
// platform/ServiceList.h, and implement it in win32/ and sim/.
#pragma once

#include "platform/ServiceList.h"

namespace platform {

#define TAMBER4_DECLARE_SERVICE(Type, accessor) class Type;
TAMBER4_PLATFORM_SERVICES(TAMBER4_DECLARE_SERVICE)
#undef TAMBER4_DECLARE_SERVICE

struct Machine {
#define TAMBER4_SERVICE_POINTER(Type, accessor) Type* accessor = nullptr;
  TAMBER4_PLATFORM_SERVICES(TAMBER4_SERVICE_POINTER)
#undef TAMBER4_SERVICE_POINTER
};

// The installed machine. Using a service that no machine provides is a programming error
// and aborts with a message naming the service.
const Machine& Current();

// Accessors, one per service: platform::files().Create(...), platform::registry().OpenKey(...).
#define TAMBER4_SERVICE_ACCESSOR(Type, accessor) Type& accessor();
TAMBER4_PLATFORM_SERVICES(TAMBER4_SERVICE_ACCESSOR)
#undef TAMBER4_SERVICE_ACCESSOR

// Installs `machine` for the lifetime of the guard, then puts back what was there before.
class ScopedMachine {
 public:
  explicit ScopedMachine(const Machine& machine);
  ~ScopedMachine();
  ScopedMachine(const ScopedMachine&) = delete;
  ScopedMachine& operator=(const ScopedMachine&) = delete;

 private:
  Machine previous_;
};

}  // namespace platform
