#include "platform/win32/Win32Machine.h"

#include "platform/win32/Win32Services.h"

namespace platform::win32 {

Machine WindowsMachine() {
  Machine machine;
#define TAMBER4_WINDOWS_SERVICE(Type, accessor) machine.accessor = &Win32##Type();
  TAMBER4_PLATFORM_SERVICES(TAMBER4_WINDOWS_SERVICE)
#undef TAMBER4_WINDOWS_SERVICE
  return machine;
}

}  // namespace platform::win32
