// Windows path rules for the simulated machine: GetFullPathNameW's normalisation, the split
// of a full path into drive and names, and FindFirstFileW's wildcard match.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::sim {

// A full local path taken apart: "C:\Users\x\" is drive 'C', names {Users, x}, trailing
// separator true. The drive letter is upper case.
struct DrivePath {
  wchar_t drive = 0;
  std::vector<std::wstring> names;
  bool trailingSeparator = false;
};

// GetFullPathNameW: slashes become backslashes; "X:\..." is absolute, "\..." is relative to
// the root of the current drive, "X:name" to the current directory when it is on drive X
// (else to X's root), anything else to `currentDirectory` (itself a full path). "." and
// empty names are dropped, ".." removes the previous name but never the root, trailing dots
// and spaces of the last name are removed, and a trailing separator is kept. UNC paths keep
// their "\\server\share" root; "\\?\" paths are returned unchanged. False for an empty path.
bool FullPathName(std::wstring_view path, std::wstring_view currentDirectory, std::wstring* full);

// Splits a full path as FullPathName returns it. False for paths that do not name a drive
// (UNC and device paths); "\\?\X:\..." is accepted.
bool SplitDrivePath(std::wstring_view full, DrivePath* parts);

// Joins drive and names back into "X:\a\b" (no trailing separator; "X:\" for the root).
std::wstring JoinDrivePath(wchar_t drive, const std::vector<std::wstring>& names);

// The folder part of a full path (up to, not including, its last backslash; the root keeps
// its backslash) and the name after it.
std::wstring ParentPath(std::wstring_view full);
std::wstring FileNamePart(std::wstring_view path);

// FindFirstFileW's match of a name against a pattern with * and ?, ignoring case. "*" and
// "*.*" match every name, and a pattern ending in ".*" also matches the name without any
// extension ("setup.*" matches "setup"), as on Windows.
bool MatchesWildcard(std::wstring_view pattern, std::wstring_view name);

// True when a name holds a character that Windows does not allow in file names
// (< > : " | ? * and control characters).
bool HasInvalidNameCharacter(std::wstring_view name);

}  // namespace platform::sim
