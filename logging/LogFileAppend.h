// Putting text at the end of the log file, as UTF-8, the file opened and closed each time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace logging {

// Opens `path` for writing with read sharing and `disposition` (file::CreateAlways to
// start the file afresh, file::OpenAlways to append), trying up to ten times 100 ms apart,
// then writes `text` as UTF-8 at the end of the file and closes it. False only when no
// attempt opened the file; a failed write after a successful open is not reported.
bool AppendToLogFile(const std::wstring& path, std::wstring_view text,
                     std::uint32_t disposition);

// UTF-16 code units to UTF-8: a surrogate pair becomes one four-byte sequence, an unpaired
// surrogate is encoded by itself in three bytes.
std::string EncodeLogUtf8(std::wstring_view text);

}  // namespace logging
