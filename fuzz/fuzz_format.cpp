// Any format text with the log's kinds of arguments: rendered without reading past them.
#include "fuzz/FuzzSupport.h"
#include "text/Format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring format = fuzz::Utf16(data, size);
  text::Format(format.c_str(), 42, L"text", -7, std::wstring(L"wide"), 3.5, "narrow", 0xFFFFFFFFu);
  const std::string narrow(reinterpret_cast<const char*>(data), size);
  text::Format(narrow.c_str(), std::uint64_t{1} << 40, L"x");
  return 0;
}
