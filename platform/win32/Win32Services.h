// The Windows implementation of each system service, one per file. Each accessor returns a
// process-lifetime object, created on first use; Win32Machine gathers them into a Machine.
#pragma once

namespace platform {
class Com;
class CurrentProcess;
class Files;
class Installer;
class KernelObjects;
class Processes;
class Registry;
class Resources;
class Security;
class ServiceControl;
class Shell;
class Shutdown;
class SystemInfo;
class Transfers;
class UserInterface;
}  // namespace platform

namespace platform::win32 {

Com& Win32Com();
CurrentProcess& Win32CurrentProcess();
Files& Win32Files();
Installer& Win32Installer();
KernelObjects& Win32KernelObjects();
Processes& Win32Processes();
Registry& Win32Registry();
Resources& Win32Resources();
Security& Win32Security();
ServiceControl& Win32ServiceControl();
Shell& Win32Shell();
Shutdown& Win32Shutdown();
SystemInfo& Win32SystemInfo();
Transfers& Win32Transfers();
UserInterface& Win32UserInterface();

}  // namespace platform::win32
