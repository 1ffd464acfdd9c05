// The helpers through which libstdc++'s headers raise their errors (a string grown past its
// maximum size, substr past the end, an allocation that failed...), defined here in place of
// the library's own.
//
// The library's versions sit in one object file that also constructs std::logic_error and its
// kin; those classes keep their message in the old reference-counted std::string, and linking
// them drags in that whole string class, std::string's and std::random_device (over 50 KB of
// the executable). Ours raise the standard type where it holds no text (bad_alloc, bad_cast...)
// and otherwise an exception whose what() is the library's text, formatted alike: the only
// handler of them, the uncaught-exception log, reads nothing but what().
//
// Every helper of that object file is defined here: were one missing, the linker would take the
// library's file again and report each of ours as a second definition.
#include <cstdarg>
#include <exception>
#include <new>
#include <typeinfo>

#include "platform/win32/entry/LibraryError.h"

namespace {

using platform::win32::LibraryError;

[[noreturn]] void ThrowFormatted(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  LibraryError error(format, arguments);
  va_end(arguments);
  throw error;
}

}  // namespace

namespace std {

void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }

// The text is passed as an argument, never as the format: a '%' in it stays as it is.
void __throw_logic_error(const char* text) { ThrowFormatted("%s", text); }
void __throw_domain_error(const char* text) { ThrowFormatted("%s", text); }
void __throw_invalid_argument(const char* text) { ThrowFormatted("%s", text); }
void __throw_length_error(const char* text) { ThrowFormatted("%s", text); }
void __throw_out_of_range(const char* text) { ThrowFormatted("%s", text); }
void __throw_runtime_error(const char* text) { ThrowFormatted("%s", text); }
void __throw_range_error(const char* text) { ThrowFormatted("%s", text); }
void __throw_overflow_error(const char* text) { ThrowFormatted("%s", text); }
void __throw_underflow_error(const char* text) { ThrowFormatted("%s", text); }

void __throw_out_of_range_fmt(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  LibraryError error(format, arguments);
  va_end(arguments);
  throw error;
}

}  // namespace std
