#include "platform/Machine.h"

#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

Machine g_machine;

template <class Service>
Service& Require(Service* service, const char* name) {
  if (service == nullptr) {
    std::fprintf(stderr, "No system service '%s' is installed.\n", name);
    std::abort();
  }
  return *service;
}

}  // namespace

const Machine& Current() { return g_machine; }

Com& com() { return Require(g_machine.com, "Com"); }
CurrentProcess& process() { return Require(g_machine.process, "CurrentProcess"); }
Files& files() { return Require(g_machine.files, "Files"); }
KernelObjects& kernel() { return Require(g_machine.kernel, "KernelObjects"); }
Processes& processes() { return Require(g_machine.processes, "Processes"); }
Registry& registry() { return Require(g_machine.registry, "Registry"); }
Resources& resources() { return Require(g_machine.resources, "Resources"); }
Security& security() { return Require(g_machine.security, "Security"); }
Shell& shell() { return Require(g_machine.shell, "Shell"); }
Shutdown& shutdown() { return Require(g_machine.shutdown, "Shutdown"); }
SystemInfo& system() { return Require(g_machine.system, "SystemInfo"); }
UserInterface& ui() { return Require(g_machine.ui, "UserInterface"); }

ScopedMachine::ScopedMachine(const Machine& machine) : previous_(g_machine) { g_machine = machine; }
ScopedMachine::~ScopedMachine() { g_machine = previous_; }

}  // namespace platform
