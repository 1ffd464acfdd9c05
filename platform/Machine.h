// The one process-wide access point to the system, as the Windows API itself is
// process-wide. The entry point installs the real Windows services; tests and tamber4sim
// install a simulated machine with ScopedMachine, which restores the previous one when it
// goes out of scope.
//
// Adding a service: declare its interface in its own header, add one pointer here, and
// implement it in win32/ and sim/.
#pragma once

namespace platform {

class Com;
class CurrentProcess;
class Files;
class KernelObjects;
class Processes;
class Registry;
class Resources;
class Security;
class Shell;
class Shutdown;
class SystemInfo;
class UserInterface;

struct Machine {
  Com* com = nullptr;
  CurrentProcess* process = nullptr;
  Files* files = nullptr;
  KernelObjects* kernel = nullptr;
  Processes* processes = nullptr;
  Registry* registry = nullptr;
  Resources* resources = nullptr;
  Security* security = nullptr;
  Shell* shell = nullptr;
  Shutdown* shutdown = nullptr;
  SystemInfo* system = nullptr;
  UserInterface* ui = nullptr;
};

// The installed machine. Using a service that no machine provides is a programming error
// and aborts with a message naming the service.
const Machine& Current();

// Accessors, one per service: platform::files().Create(...), platform::registry().OpenKey(...).
Com& com();
CurrentProcess& process();
Files& files();
KernelObjects& kernel();
Processes& processes();
Registry& registry();
Resources& resources();
Security& security();
Shell& shell();
Shutdown& shutdown();
SystemInfo& system();
UserInterface& ui();

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
