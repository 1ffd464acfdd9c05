// The system services, listed once: X(Type, accessor). platform::Machine holds one pointer
// per entry and platform::accessor() returns it; the Windows machine takes Win32<Type>(),
// the simulated machine its member accessor_. Adding a service is adding its header, its two
// implementations and one line here.
#pragma once

#define TAMBER4_PLATFORM_SERVICES(X) \
  X(Com, com)                        \
  X(CurrentProcess, process)         \
  X(Files, files)                    \
  X(Installer, installer)            \
  X(KernelObjects, kernel)           \
  X(Processes, processes)            \
  X(Registry, registry)              \
  X(Resources, resources)            \
  X(Security, security)              \
  X(ServiceControl, services)        \
  X(Shell, shell)                    \
  X(Shutdown, shutdown)              \
  X(SystemInfo, system)              \
  X(Transfers, transfers)            \
  X(UserInterface, ui)
