#include "platform/Machine.h"

#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

Machine g_machine;

template <class Service>
Service& Require(Service* service, const char* name) {
  if (service == nullptr) {
    // fputs, not fprintf: the printf family is kept out of the executable.
    std::fputs("No system service '", stderr);
    std::fputs(name, stderr);
    std::fputs("' is installed.\n", stderr);
    std::abort();
  }
  return *service;
}

}  // namespace

const Machine& Current() { return g_machine; }

#define TAMBER4_SERVICE_ACCESSOR(Type, accessor) \
  Type& accessor() { return Require(g_machine.accessor, #Type); }
TAMBER4_PLATFORM_SERVICES(TAMBER4_SERVICE_ACCESSOR)
#undef TAMBER4_SERVICE_ACCESSOR

ScopedMachine::ScopedMachine(const Machine& machine) : previous_(g_machine) { g_machine = machine; }
ScopedMachine::~ScopedMachine() { g_machine = previous_; }

}  // namespace platform
