// The owners and DACLs a run sets: the files and folders of the simulated machine whose
// security was set or changed during the run, printed with account names.
#pragma once

#include <cstdio>
#include <map>
#include <string>

#include "platform/sim/SimMachine.h"

namespace tamber4sim {

class SecurityChanges {
 public:
  // Notes the security records as they are before the run.
  explicit SecurityChanges(platform::sim::SimMachine& machine);
  // Prints one line per file or folder whose owner or DACL changed since:
  //   tamber4sim: security of 'C:\x': owner BUILTIN\Administrators, DACL (protected)
  //   allow 0x00 0x001F01FF NT AUTHORITY\SYSTEM; ...
  void Print(std::FILE* out) const;

 private:
  platform::sim::SimMachine& machine_;
  std::map<std::wstring, platform::sim::SimObjectSecurity> before_;
};

}  // namespace tamber4sim
