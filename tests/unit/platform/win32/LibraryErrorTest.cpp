#include "platform/win32/entry/LibraryError.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstddef>
#include <string>

namespace {

using platform::win32::LibraryError;

std::string Formatted(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  LibraryError error(format, arguments);
  va_end(arguments);
  return error.what();
}

// The texts libstdc++'s headers raise, rendered as the library renders them.
TEST(LibraryErrorTest, FormatsTheLibraryMessages) {
  const std::size_t zero = 0, five = 5, big = 18446744073709551615ull;
  struct Case {
    std::string got, expected;
  } cases[] = {
      {Formatted("basic_string::_M_create"), "basic_string::_M_create"},
      {Formatted("%s", "100% sure"), "100% sure"},
      {Formatted("%s: __pos (which is %zu) > this->size() (which is %zu)",
                 "basic_string::substr", five, zero),
       "basic_string::substr: __pos (which is 5) > this->size() (which is 0)"},
      {Formatted("%zu", big), "18446744073709551615"},
      {Formatted("%zu%%", zero), "0%"},
      {Formatted("%s%s", "", "b"), "b"},
      {Formatted(""), ""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected);
}

// A message longer than the buffer is cut, never written past it.
TEST(LibraryErrorTest, CutsALongMessageToItsBuffer) {
  const std::string longText(2000, 'x');
  const std::string got = Formatted("%s!", longText.c_str());
  EXPECT_EQ(got, std::string(511, 'x'));
}

}  // namespace
