#include "platform/win32/Win32Machine.h"

#include "platform/win32/Win32Services.h"

namespace platform::win32 {

Machine WindowsMachine() {
  Machine machine;
  machine.com = &Win32Com();
  machine.process = &Win32CurrentProcess();
  machine.files = &Win32Files();
  machine.kernel = &Win32KernelObjects();
  machine.processes = &Win32Processes();
  machine.registry = &Win32Registry();
  machine.resources = &Win32Resources();
  machine.security = &Win32Security();
  machine.shell = &Win32Shell();
  machine.shutdown = &Win32Shutdown();
  machine.system = &Win32SystemInfo();
  machine.ui = &Win32UserInterface();
  return machine;
}

}  // namespace platform::win32
