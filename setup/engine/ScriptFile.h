// The script file on disk: UTF-16LE code units, an optional byte-order mark on reading and
// always one on writing, lines ended by CR and LF in any mix on reading and by CR LF on
// writing.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"
#include "setup/engine/Script.h"

namespace setup {

// What goes in front of a script that came from a web address: it makes the first line a
// `self` command. Empty when `rootUri` is empty.
std::wstring ScriptPrefix(const std::wstring& rootUri);

// The text of the script at `path` with `prefix` in front: the file's bytes as UTF-16LE code
// units, a trailing odd byte ignored, one leading U+FEFF skipped. Empty when the file does
// not exist or cannot be opened (logged as an Error). A read that returns less than the
// file's size, or a file too large to hold in memory, raises ComUtil::_com_error after
// logging it.
// A script that does not look like UTF-16LE text (see StartsAsUtf16Le) or has an odd byte
// count is read all the same, after a Warning saying so.
std::optional<std::wstring> ReadScriptFile(const std::wstring& path, const std::wstring& prefix);

// The lines of the script at `path` with `prefix` in front: what ReadScriptFile reads, cut
// as SplitScriptLines cuts, without the whole text in between. `prefix` is empty or ends
// with a line break, as ScriptPrefix's does. When `fingerprint` is not null, it receives the
// fingerprint of `prefix` and of the file's bytes: the same for the same script.
std::optional<std::vector<std::wstring>> ReadScriptLines(const std::wstring& path,
                                                         const std::wstring& prefix,
                                                         std::uint64_t* fingerprint = nullptr);

// Whether a script file's bytes start as UTF-16LE text: with its byte-order mark, or with a
// first character whose second byte is zero, as every ASCII character's is. UTF-8 text and
// UTF-16BE text do not.
bool StartsAsUtf16Le(std::string_view bytes);

// The lines of a script text: cut at every CR and LF; runs of line breaks end one line, so
// no line is empty. Nothing is trimmed.
std::vector<std::wstring> SplitScriptLines(std::wstring_view text);

// Appends to `bytes` the UTF-16LE bytes of `line`, then CR LF: one line of a script file or
// of its progress file.
void AppendUtf16LeLine(std::string& bytes, std::wstring_view line);

// Writes all of `bytes` to `file`. False with the last error of the failing call, or
// ERROR_WRITE_FAULT when a write succeeds without writing anything.
bool WriteWhole(platform::Handle file, const std::string& bytes);

// Writes `path` whole through "<path>.tmp" in the same folder: the temporary file is created,
// filled through `write`, flushed, and only then moved over `path` (write-through), so `path`
// holds either its old content or the new one, never a part. False with the last error of
// the failing call, the temporary file removed.
bool WriteFileAside(const std::wstring& path, const std::function<bool(platform::Handle)>& write);

// Writes `script`'s lines to `path` through WriteFileAside: U+FEFF, then each line followed
// by CR LF. A failure raises ComUtil::_com_error after logging it.
void SaveCommands(const Script& script, const std::wstring& path);

}  // namespace setup
