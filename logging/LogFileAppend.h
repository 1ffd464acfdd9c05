// Putting text at the end of the log file, as UTF-8, the file opened and closed each time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace logging {

// Opens `path` for writing with read sharing and `disposition` (file::CreateAlways to
// start the file afresh, file::OpenAlways to append), trying up to ten times 100 ms apart,
// then writes `content` as UTF-8 (an unpaired surrogate in three bytes) at the end of the
// file and closes it. False only when no attempt opened the file; a failed write after a
// successful open is not reported.
bool AppendToLogFile(const std::wstring& path, std::wstring_view content,
                     std::uint32_t disposition);

}  // namespace logging
