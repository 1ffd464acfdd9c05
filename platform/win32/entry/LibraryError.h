// The exception that Tamber4Setup.exe raises in place of std::logic_error and its kin (see
// LibraryThrows.cpp): the library's message, formatted as the library formats it. Portable, so
// that the host's unit tests check the formatting.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <exception>

namespace platform::win32 {

// A logic or runtime error of the library: its text, cut to the buffer's size.
class LibraryError : public std::exception {
 public:
  // `format` holds only %s, %zu and %%, as the library's messages do; each %s and %zu takes
  // the next argument.
  LibraryError(const char* format, va_list arguments) noexcept {
    std::size_t length = 0;
    for (const char* p = format; *p != '\0'; ++p) {
      if (p[0] == '%' && p[1] == 's') {
        Append(length, va_arg(arguments, const char*));
        ++p;
      } else if (p[0] == '%' && p[1] == 'z' && p[2] == 'u') {
        AppendDecimal(length, va_arg(arguments, std::size_t));
        p += 2;
      } else if (p[0] == '%' && p[1] == '%') {
        AppendChar(length, '%');
        ++p;
      } else {
        AppendChar(length, *p);
      }
    }
    text_[length] = '\0';
  }

  const char* what() const noexcept override { return text_; }

 private:
  void AppendChar(std::size_t& length, char c) noexcept {
    if (length + 1 < sizeof text_) text_[length++] = c;
  }
  void Append(std::size_t& length, const char* s) noexcept {
    while (*s != '\0') AppendChar(length, *s++);
  }
  void AppendDecimal(std::size_t& length, std::size_t value) noexcept {
    char digits[24];
    std::size_t count = 0;
    do {
      digits[count++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value != 0);
    while (count != 0) AppendChar(length, digits[--count]);
  }

  char text_[512];
};

}  // namespace platform::win32
