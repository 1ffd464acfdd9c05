// Folders and paths the session works with: shell folders, folder trees, the working copy's
// path, and whether two paths name one file.
#pragma once

#include "platform/Types.h"

#include <cstddef>
#include <string>

#include "setup/session/SetupState.h"

namespace setup {

// The longest path the system's fixed buffers hold, terminating null included (MAX_PATH).
using platform::kMaxPath;

// The shell folder `csidl` (platform::csidl) without a trailing backslash. On failure logs
// the reason, puts the temporary folder (with its trailing backslash) in *path and returns
// false: callers use *path in both cases.
bool GetSpecialFolder(int csidl, std::wstring* path);

// Creates `folder` and every missing parent. True when the folder exists afterwards.
bool CreateDirectoryTree(const std::wstring& folder);

// The local path of the working copy of `source` (a path or an address): the user's
// "<LocalAppData>\Tamber4\Install\" folder (created when missing, stored in
// state.targetFolder) followed by the part of `source` after its last '\' or '/'.
// A path that would not fit in kMaxPath is never cut short (it would name another file):
// it is logged as an Error and the result is empty, which the caller treats as a failure.
std::wstring GetTargetFilePath(SetupState& state, const std::wstring& source);

// `folder` and `name` joined by exactly one backslash.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

// The text after the last '\' or '/' of `path` (all of it when it has neither).
std::wstring FileNamePart(const std::wstring& path);

// True when both paths name the same file: full paths compared without regard to case, as
// the file system compares names.
bool IsSameFile(const std::wstring& a, const std::wstring& b);

// True when `path` names an existing file (not a folder).
bool IsExistingFile(const std::wstring& path);

// True when `path` names an existing folder.
bool IsExistingFolder(const std::wstring& path);

}  // namespace setup
