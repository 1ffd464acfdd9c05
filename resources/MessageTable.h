// The message table as data, generated at build time from resources/Messages.mc, so the host
// build formats exactly the texts the executable carries. Texts are stored as in the .mc
// (with "%0" and "%%"), each line followed by CR LF as a message compiler stores it; every
// entry ends in "%0" CR LF. Formatting is the caller's (the simulated FormatMessageW).
#pragma once

#include <cstddef>
#include <cstdint>

namespace resources {

struct MessageTableEntry {
  std::uint32_t id;
  std::uint16_t primaryLanguage;  // 9, 10 or 29
  const wchar_t* text;            // as written in the .mc, UTF-16 code units
};

// The whole table, in the .mc's order.
const MessageTableEntry* MessageTable(std::size_t* count);

}  // namespace resources
