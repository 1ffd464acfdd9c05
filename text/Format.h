// The system's printf-style texts, rendered from typed arguments, identically on every
// target. No C varargs: each argument is captured as a FormatArg with its type.
//
// Conversions (Windows' wide-printf meanings): %s string (wide or narrow argument, either
// is accepted), %hs narrow string, %ls/%ws/%S wide string, %c character, %d %i signed,
// %u unsigned, %x %X hex, %o octal, %f %g %e floating, %p pointer, %% percent. Lengths h, l
// (32-bit on Windows), ll, I64 (64-bit), I32. Flags - + space 0 #, width and precision,
// '*' taking an int argument. Integer conversions without a 64-bit length use the low 32 bits
// of the argument, as a 32-bit Windows printf would: "0x%08X" of HRESULT -2147024891 gives
// 0x80070005.
// A conversion without an argument renders as nothing; arguments left over are ignored;
// a string argument given to a numeric conversion (or the reverse) renders the argument in
// its own natural form, never undefined behaviour.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

namespace text {

class FormatArg {
 public:
  enum class Kind { Signed, Unsigned, Floating, Wide, Narrow, Pointer };

  template <class T, std::enable_if_t<std::is_integral_v<T> && std::is_signed_v<T>, int> = 0>
  FormatArg(T v) : kind_(Kind::Signed), i_(static_cast<std::int64_t>(v)) {}
  template <class T, std::enable_if_t<std::is_integral_v<T> && !std::is_signed_v<T> &&
                                          !std::is_same_v<T, bool>,
                                      int> = 0>
  FormatArg(T v) : kind_(Kind::Unsigned), u_(static_cast<std::uint64_t>(v)) {}
  FormatArg(bool v) : kind_(Kind::Signed), i_(v ? 1 : 0) {}
  template <class T, std::enable_if_t<std::is_enum_v<T>, int> = 0>
  FormatArg(T v) : FormatArg(static_cast<std::underlying_type_t<T>>(v)) {}
  FormatArg(double v) : kind_(Kind::Floating), d_(v) {}
  FormatArg(const wchar_t* s) : kind_(Kind::Wide), ws_(s ? s : L"") {}
  FormatArg(const std::wstring& s) : kind_(Kind::Wide), ws_(s) {}
  FormatArg(std::wstring_view s) : kind_(Kind::Wide), ws_(s) {}
  FormatArg(const char* s) : kind_(Kind::Narrow), ns_(s ? s : "") {}
  FormatArg(const std::string& s) : kind_(Kind::Narrow), ns_(s) {}
  FormatArg(std::string_view s) : kind_(Kind::Narrow), ns_(s) {}
  FormatArg(const void* p) : kind_(Kind::Pointer), u_(reinterpret_cast<std::uintptr_t>(p)) {}

  Kind kind() const { return kind_; }
  std::int64_t AsSigned() const;     // integers and pointers; 0 for text
  std::uint64_t AsUnsigned() const;  // the same bits, unsigned
  double AsDouble() const;
  std::wstring_view wide() const { return ws_; }
  std::string_view narrow() const { return ns_; }

 private:
  Kind kind_;
  std::int64_t i_ = 0;
  std::uint64_t u_ = 0;
  double d_ = 0;
  std::wstring_view ws_;
  std::string_view ns_;
};

using FormatArgs = std::initializer_list<FormatArg>;

// Renders `format` with `args`. Narrow text (narrow format, %hs arguments) is taken as
// Latin-1 code units, one per character, as the system's own texts are plain ASCII.
std::wstring FormatText(std::wstring_view format, FormatArgs args);
std::wstring FormatText(std::string_view format, FormatArgs args);

// The decimal text of an integer argument, with '-' when negative: std::to_wstring's text
// without its trip through the C library's wide printf, which mingw would link in whole.
std::wstring DecimalText(const FormatArg& integer);

template <class... Args>
std::wstring Format(const wchar_t* format, const Args&... args) {
  return FormatText(std::wstring_view(format), {FormatArg(args)...});
}
template <class... Args>
std::wstring Format(const char* format, const Args&... args) {
  return FormatText(std::string_view(format), {FormatArg(args)...});
}

}  // namespace text
