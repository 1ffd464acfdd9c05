#include "platform/sim/SimShutdown.h"

#include <memory>

#include "platform/sim/SimProcess.h"

namespace platform::sim {
namespace {

constexpr std::uint32_t kShutdownPrivilegeLuid = 19;
constexpr Win32Error kNoSuchPrivilege = 1313;
constexpr Win32Error kPrivilegeNotHeld = 1314;

}  // namespace

bool SimShutdown::Fail(Win32Error error) {
  process_.SetLastError(error);
  return false;
}

bool SimShutdown::OpenProcessToken(std::uint32_t, Handle* token) {
  *token = objects_.Add(std::make_shared<SimToken>());
  return true;
}

bool SimShutdown::LookupPrivilege(const std::wstring& name, Luid* luid) {
  if (name != kShutdownPrivilege) return Fail(kNoSuchPrivilege);
  *luid = Luid{kShutdownPrivilegeLuid, 0};
  return true;
}

bool SimShutdown::AdjustPrivilege(Handle token, const Luid& luid, bool enable) {
  if (objects_.Find<SimToken>(token) == nullptr) return false;
  if (luid.lowPart == kShutdownPrivilegeLuid && luid.highPart == 0) privilegeEnabled_ = enable;
  process_.SetLastError(err::Success);
  return true;
}


bool SimShutdown::ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) {
  if (!privilegeEnabled_) return Fail(kPrivilegeNotHeld);
  requests_.push_back({flags, reason});
  return true;
}

}  // namespace platform::sim
