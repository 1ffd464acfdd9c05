// The resources of a module: its message table, string table and version block.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace platform {

class Resources {
 public:
  virtual ~Resources() = default;

  // FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE) for message `id` of `module`'s message table
  // in `language`, with no insert values ("%0" ends the text, "%%" gives "%"). Module 0 is the
  // executable. False when the entry does not exist in that language (last error set), and
  // when its text holds an insert such as "%1", which cannot be filled (InvalidParameter).
  virtual bool FormatModuleMessage(ModuleHandle module, std::uint32_t id, LangId language,
                                   std::wstring* text) = 0;
  // LoadStringW of string `id` of the executable. False when it does not exist.
  virtual bool LoadStringResource(std::uint32_t id, std::wstring* text) = 0;
  // The four 16-bit parts of the executable's file version, most significant first.
  virtual bool FileVersion(std::uint16_t parts[4]) = 0;
};

}  // namespace platform
