#include "setup/session/SystemVersion.h"

#include "platform/Machine.h"
#include "platform/SystemInfo.h"
#include "setup/session/ProcessState.h"

namespace setup {
namespace {

constexpr std::uint32_t kPlatformWin32Nt = 2;

// The version as the system reports it; the basic request stands in when the extended one
// is refused (very old systems).
platform::OsVersion QueryVersion() {
  platform::OsVersion version;
  if (platform::system().VersionEx(&version)) return version;
  version = platform::OsVersion();
  platform::system().Version(&version);
  return version;
}

}  // namespace

bool IsVistaOrLater() {
  auto& cached = processState().vistaOrLater;
  if (!cached) {
    const platform::OsVersion version = QueryVersion();
    cached = version.platformId == kPlatformWin32Nt && version.major >= 6;
  }
  return *cached;
}

bool IsXpSp3OrLater() { return platform::system().VersionAtLeast(5, 1, 3, 0); }

bool IsWindowsNt() { return QueryVersion().platformId == kPlatformWin32Nt; }

}  // namespace setup
