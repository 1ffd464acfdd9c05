// The security lines of a machine folder's machine.txt (see SimMachineFolder.cpp):
//   account = S-1-5-32-544|BUILTIN|Administradores   an account (new, or new names for a SID)
//   token-user = S-1-5-21-...-1001                   the user of the process token
//   owner = C:\Program Files\Tamber4|S-1-5-32-544    the owner of a file or folder
//   dacl = C:\Program Files\Tamber4|protected|allow 0x03 0x001F01FF S-1-5-18|deny 0x00 0x00010000 S-1-1-0
//                                                    a file's or folder's DACL: "protected" or
//                                                    "inherits", then one entry per field (type
//                                                    allow, deny or a number; flags; mask; SID)
//   volume-without-acls = D                          a drive whose file system keeps no ACLs
//   volume-path-function = no                        GetVolumePathNameW cannot be found
//   takeown-exit-code = 1                            the exit code of the next takeown.exe run
//   security-call-fails = write-dacl|5|1             the next call(s) of that name fail with
//                                                    that error: read-dacl, write-dacl,
//                                                    read-owner, read-owner-sid, token-user,
//                                                    volume-flags, lookup-account-sid, ...
// Files and folders whose security was never set have the default of SimSecurity.h.
#pragma once

#include <string>

#include "platform/sim/SimSecurity.h"

namespace platform::sim {

// Applies one security key; false when the key is not a security key or its value is bad.
bool ApplySecurityFact(SimSecurity& security, const std::string& key, const std::string& value);

// The security lines, in the format ApplySecurityFact reads.
std::string SecurityFactsText(const SimSecurity& security);

// One DACL entry as the "dacl" key writes it: "allow 0x13 0x001F01FF S-1-5-18".
std::wstring AceText(const Ace& entry);

}  // namespace platform::sim
