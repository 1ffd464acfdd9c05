// Static checks of an install script, made without running it: the faults a release
// engineer would otherwise meet only on a test machine. Findings carry the file's own line
// numbers (blank lines counted), though the program drops blank lines before it runs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "setup/engine/CommandTable.h"

namespace tamber4sim {

struct Finding {
  int line = 0;  // 1-based line of the file; 0 for the file as a whole
  bool error = true;  // false: a warning
  std::string text;   // UTF-8
};

// Whether a message id is one of the message table's.
using MessageIdTest = std::function<bool(std::uint32_t id)>;

// The non-blank lines of a script's text with their 1-based numbers in the file: CR LF, LF
// and CR each end a line, as the program splits them.
std::vector<std::pair<int, std::wstring>> NumberedLines(const std::wstring& text);

// A script file's text (UTF-16LE, one leading byte-order mark skipped); false when the bytes
// are not UTF-16LE (no mark, and a first character that is not).
bool DecodeScriptBytes(const std::string& bytes, std::wstring* text);

// Whether `id` is an id of the program's message table, in any language.
bool IsMessageTableId(std::uint32_t id);

// The findings for a script file's bytes (UTF-16LE, with or without a byte-order mark),
// in line order, checked against the commands and parameters `commands` declares.
std::vector<Finding> CheckScript(const std::string& bytes, const setup::CommandTable& commands,
                                 const MessageIdTest& isMessageId);

}  // namespace tamber4sim
