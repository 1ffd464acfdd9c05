// What the session asks about the running Windows version.
#pragma once

namespace setup {

// True on Windows NT with major version 6 or later. The version is asked once per process
// (extended information, the basic structure if that fails) and the answer kept.
bool IsVistaOrLater();

// True when the system is at least 5.1 with service pack 3.0, compared as the system's
// version verification compares: major, minor, service pack major, service pack minor, so a
// later major or minor version passes whatever its service pack.
bool IsXpSp3OrLater();

// False on the Windows 9x family, which has no NT security (no tokens, no privileges).
bool IsWindowsNt();

}  // namespace setup
