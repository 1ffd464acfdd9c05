// The formatter: one pass over the format, each conversion rendered from its typed argument
// straight into the output. No iostreams and no C library printf, so both targets agree.
#include "text/Format.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "text/DecimalDigits.h"

namespace text {

std::int64_t FormatArg::AsSigned() const {
  switch (kind_) {
    case Kind::Signed: return i_;
    case Kind::Unsigned:
    case Kind::Pointer: return static_cast<std::int64_t>(u_);
    case Kind::Floating:
      if (!(std::fabs(d_) < 9.2e18)) return 0;  // out of range or NaN: no value
      return static_cast<std::int64_t>(d_);
    default: return 0;
  }
}

std::uint64_t FormatArg::AsUnsigned() const {
  if (kind_ == Kind::Unsigned || kind_ == Kind::Pointer) return u_;
  return static_cast<std::uint64_t>(AsSigned());
}

double FormatArg::AsDouble() const {
  switch (kind_) {
    case Kind::Floating: return d_;
    case Kind::Signed: return static_cast<double>(i_);
    case Kind::Unsigned:
    case Kind::Pointer: return static_cast<double>(u_);
    default: return 0;
  }
}

namespace {

// Widths and precisions beyond this are taken as this: no text of the system comes near it,
// and a malformed format must not ask for gigabytes.
constexpr int kMaxField = 1 << 20;

// One parsed conversion: flags, width, precision, length and conversion character.
struct Spec {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool zero = false;
  bool alt = false;
  int width = 0;
  int precision = -1;  // -1: not given
  int bits = 32;       // integer width chosen by the length modifier
  bool narrowChar = false;  // 'h' on %c, or %C: the argument is a narrow character
  wchar_t conversion = 0;
};

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Appends `body` after `prefix` (sign or "0x"), padded to the spec's width: spaces on the
// left, spaces on the right when left-justified, zeros between prefix and body when
// `zeroPad`.
void AppendPadded(std::wstring& out, std::wstring_view prefix, std::wstring_view body,
                  const Spec& spec, bool zeroPad) {
  std::size_t length = prefix.size() + body.size();
  std::size_t fill = spec.width > 0 && static_cast<std::size_t>(spec.width) > length
                         ? static_cast<std::size_t>(spec.width) - length
                         : 0;
  if (spec.left) {
    out.append(prefix).append(body).append(fill, L' ');
  } else if (zeroPad) {
    out.append(prefix).append(fill, L'0').append(body);
  } else {
    out.append(fill, L' ').append(prefix).append(body);
  }
}

// Writes `value` in `base` into the end of `buffer` and returns the digits.
std::wstring_view Digits(std::uint64_t value, unsigned base, bool upper, wchar_t* buffer,
                         std::size_t size) {
  const wchar_t* symbols = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
  wchar_t* end = buffer + size;
  wchar_t* p = end;
  do {
    *--p = symbols[value % base];
    value /= base;
  } while (value != 0);
  return std::wstring_view(p, static_cast<std::size_t>(end - p));
}

// Keeps the low `bits` bits of `value`.
std::uint64_t Truncate(std::uint64_t value, int bits) {
  return bits >= 64 ? value : value & ((std::uint64_t{1} << bits) - 1);
}

// The low `bits` bits of `value`, read as a signed number of that width.
std::int64_t SignExtend(std::uint64_t value, int bits) {
  if (bits >= 64) return static_cast<std::int64_t>(value);
  std::uint64_t v = Truncate(value, bits);
  std::uint64_t sign = std::uint64_t{1} << (bits - 1);
  return static_cast<std::int64_t>(v ^ sign) - static_cast<std::int64_t>(sign);
}

// %d %i %u %x %X %o of an integer value already cut to its width.
void AppendInteger(std::wstring& out, const Spec& spec, bool negative, std::uint64_t magnitude) {
  wchar_t buffer[72];
  unsigned base = 10;
  if (spec.conversion == L'x' || spec.conversion == L'X') base = 16;
  if (spec.conversion == L'o') base = 8;
  std::wstring_view digits = Digits(magnitude, base, spec.conversion == L'X', buffer, 72);
  if (spec.precision == 0 && magnitude == 0) digits = std::wstring_view();

  std::wstring body;
  if (spec.precision > 0 && static_cast<std::size_t>(spec.precision) > digits.size()) {
    body.assign(static_cast<std::size_t>(spec.precision) - digits.size(), L'0');
  }
  body.append(digits);
  if (spec.alt && base == 8 && (body.empty() || body[0] != L'0')) body.insert(0, 1, L'0');

  std::wstring_view prefix;
  bool isSigned = spec.conversion == L'd' || spec.conversion == L'i';
  if (negative) prefix = L"-";
  else if (isSigned && spec.plus) prefix = L"+";
  else if (isSigned && spec.space) prefix = L" ";
  else if (spec.alt && base == 16 && magnitude != 0) prefix = spec.conversion == L'X' ? L"0X" : L"0x";

  AppendPadded(out, prefix, body, spec, spec.zero && !spec.left && spec.precision < 0);
}

void AppendNarrow(std::wstring& out, std::string_view text) {
  for (char c : text) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
}

// printf-style floating text of `value` for conversion f, e or g (lower case), with its sign.
std::string FloatingText(double value, wchar_t conversion, int precision, bool alt) {
  if (precision < 0) precision = 6;
  const std::string sign = std::signbit(value) ? "-" : "";
  if (std::isnan(value)) return sign + "nan";
  if (std::isinf(value)) return sign + "inf";
  if (conversion == L'f') {
    std::string s = FixedText(value, precision);
    if (alt && precision == 0) s += '.';
    return sign + s;
  }
  if (conversion == L'e') {
    std::string s = ScientificText(value, precision);
    if (alt && precision == 0) s.insert(s.find('e'), 1, '.');
    return sign + s;
  }
  // %g: scientific when the exponent is below -4 or not below the precision, trailing
  // zeros removed unless '#'.
  int significant = precision == 0 ? 1 : precision;
  std::string scientific = ScientificText(value, significant - 1);
  int exponent = std::atoi(scientific.c_str() + scientific.find('e') + 1);
  std::string s = (exponent < -4 || exponent >= significant)
                      ? scientific
                      : FixedText(value, significant - 1 - exponent);
  if (alt || s.find('.') == std::string::npos) return sign + s;
  std::size_t e = s.find('e');
  std::size_t fractionEnd = e == std::string::npos ? s.size() : e;
  std::size_t last = s.find_last_not_of('0', fractionEnd - 1);
  if (s[last] == '.') --last;
  s.erase(last + 1, fractionEnd - last - 1);
  return sign + s;
}

// %f %e %g (and upper-case forms) of `value`.
void AppendFloating(std::wstring& out, const Spec& spec, double value) {
  wchar_t lower = static_cast<wchar_t>(spec.conversion | 0x20);
  std::string text = FloatingText(value, lower, spec.precision, spec.alt);
  bool upper = spec.conversion != lower;
  std::wstring body;
  for (char c : text) body.push_back(static_cast<wchar_t>(upper && c >= 'a' && c <= 'z' ? c - 32 : c));

  std::wstring_view prefix;
  if (!body.empty() && body[0] == L'-') {
    prefix = L"-";
    body.erase(0, 1);
  } else if (spec.plus) {
    prefix = L"+";
  } else if (spec.space) {
    prefix = L" ";
  }
  AppendPadded(out, prefix, body, spec, spec.zero && !spec.left && std::isfinite(value));
}

// %p: the value in upper-case hex, as many digits as a pointer has.
void AppendPointer(std::wstring& out, const Spec& spec, std::uint64_t value) {
  constexpr int kPointerBits = static_cast<int>(sizeof(void*) * 8);
  wchar_t buffer[24];
  std::wstring_view digits = Digits(Truncate(value, kPointerBits), 16, true, buffer, 24);
  std::wstring body(kPointerBits / 4 - digits.size(), L'0');
  body.append(digits);
  AppendPadded(out, std::wstring_view(), body, spec, false);
}

// %s and friends: the text, cut to the precision, padded to the width.
void AppendString(std::wstring& out, const Spec& spec, const FormatArg& arg) {
  std::wstring narrow;
  std::wstring_view text = arg.wide();
  if (arg.kind() == FormatArg::Kind::Narrow) {
    AppendNarrow(narrow, arg.narrow());
    text = narrow;
  }
  if (spec.precision >= 0 && static_cast<std::size_t>(spec.precision) < text.size()) {
    text = text.substr(0, static_cast<std::size_t>(spec.precision));
  }
  AppendPadded(out, std::wstring_view(), text, spec, false);
}

// An argument whose kind does not suit the conversion, rendered as itself: text as text,
// integers in decimal, floating values as %g, pointers as %p. Only width and '-' apply.
void AppendNatural(std::wstring& out, const Spec& spec, const FormatArg& arg) {
  Spec natural;
  natural.width = spec.width;
  natural.left = spec.left;
  switch (arg.kind()) {
    case FormatArg::Kind::Wide:
    case FormatArg::Kind::Narrow: AppendString(out, natural, arg); return;
    case FormatArg::Kind::Floating:
      natural.conversion = L'g';
      AppendFloating(out, natural, arg.AsDouble());
      return;
    case FormatArg::Kind::Pointer: AppendPointer(out, natural, arg.AsUnsigned()); return;
    case FormatArg::Kind::Signed: {
      natural.conversion = L'd';
      std::int64_t v = arg.AsSigned();
      std::uint64_t magnitude = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
      AppendInteger(out, natural, v < 0, magnitude);
      return;
    }
    case FormatArg::Kind::Unsigned:
      natural.conversion = L'u';
      AppendInteger(out, natural, false, arg.AsUnsigned());
      return;
  }
}

bool IsText(const FormatArg& arg) {
  return arg.kind() == FormatArg::Kind::Wide || arg.kind() == FormatArg::Kind::Narrow;
}

bool IsInteger(const FormatArg& arg) {
  return arg.kind() == FormatArg::Kind::Signed || arg.kind() == FormatArg::Kind::Unsigned ||
         arg.kind() == FormatArg::Kind::Pointer;
}

// %d %i %u %x %X %o with the argument's low `spec.bits` bits.
void RenderIntegerConversion(std::wstring& out, const Spec& spec, const FormatArg& arg) {
  if (!IsInteger(arg)) return AppendNatural(out, spec, arg);
  std::uint64_t raw = arg.AsUnsigned();
  if (spec.conversion == L'd' || spec.conversion == L'i') {
    std::int64_t v = SignExtend(raw, spec.bits);
    std::uint64_t magnitude = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    return AppendInteger(out, spec, v < 0, magnitude);
  }
  AppendInteger(out, spec, false, Truncate(raw, spec.bits));
}

// %c: one UTF-16 code unit (or one Latin-1 byte for a narrow character).
void RenderCharacter(std::wstring& out, const Spec& spec, const FormatArg& arg) {
  if (!IsInteger(arg)) return AppendNatural(out, spec, arg);
  wchar_t c = static_cast<wchar_t>(Truncate(arg.AsUnsigned(), spec.narrowChar ? 8 : 16));
  AppendPadded(out, std::wstring_view(), std::wstring_view(&c, 1), spec, false);
}

// Renders one conversion from `arg` (null when the arguments have run out).
void RenderConversion(std::wstring& out, const Spec& spec, const FormatArg* arg) {
  if (arg == nullptr) return;
  switch (spec.conversion) {
    case L'd': case L'i': case L'u': case L'x': case L'X': case L'o':
      return RenderIntegerConversion(out, spec, *arg);
    case L'c': case L'C':
      return RenderCharacter(out, spec, *arg);
    case L's': case L'S':
      return IsText(*arg) ? AppendString(out, spec, *arg) : AppendNatural(out, spec, *arg);
    case L'f': case L'F': case L'e': case L'E': case L'g': case L'G':
      return IsText(*arg) ? AppendNatural(out, spec, *arg) : AppendFloating(out, spec, arg->AsDouble());
    case L'p':
      return IsInteger(*arg) ? AppendPointer(out, spec, arg->AsUnsigned()) : AppendNatural(out, spec, *arg);
  }
}

bool IsConversion(wchar_t c) {
  return std::wstring_view(L"diuxXocCsSfFeEgGp").find(c) != std::wstring_view::npos;
}

// Walks one format, conversion by conversion, taking arguments in order.
template <class CharT>
class Renderer {
 public:
  Renderer(std::basic_string_view<CharT> format, FormatArgs args)
      : format_(format), next_(args.begin()), end_(args.end()) {}

  std::wstring Run() {
    out_.reserve(format_.size() + 16 * (end_ - next_));
    while (pos_ < format_.size()) {
      std::size_t percent = format_.find(CharT('%'), pos_);
      AppendLiteral(pos_, percent == format_.npos ? format_.size() : percent);
      if (percent == format_.npos) break;
      pos_ = percent + 1;
      RenderOne(percent);
    }
    return std::move(out_);
  }

 private:
  wchar_t Peek() const {
    return pos_ < format_.size()
               ? static_cast<wchar_t>(static_cast<std::make_unsigned_t<CharT>>(format_[pos_]))
               : 0;
  }
  bool Accept(wchar_t c) {
    if (Peek() != c || pos_ >= format_.size()) return false;
    ++pos_;
    return true;
  }
  const FormatArg* TakeArg() { return next_ == end_ ? nullptr : next_++; }

  void AppendLiteral(std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
      out_.push_back(static_cast<wchar_t>(static_cast<std::make_unsigned_t<CharT>>(format_[i])));
    }
  }

  // After the '%' at `start`: parses and renders one conversion. A '%' at the very end
  // stays a '%'; an unknown conversion is copied as written and takes no argument.
  void RenderOne(std::size_t start) {
    if (pos_ >= format_.size()) return out_.push_back(L'%');
    if (Accept(L'%')) return out_.push_back(L'%');
    Spec spec;
    ParseFlags(spec);
    spec.width = ParseCount();
    if (spec.width < 0) {
      spec.left = true;
      spec.width = spec.width == std::numeric_limits<int>::min() ? kMaxField : -spec.width;
    }
    if (Accept(L'.')) spec.precision = std::max(ParseCount(), -1);  // negative: as if absent
    ParseLength(spec);
    wchar_t c = Peek();
    if (!IsConversion(c)) return AppendLiteral(start, pos_);
    ++pos_;
    spec.conversion = c;
    if (c == L'C') spec.narrowChar = !wideHint_;
    RenderConversion(out_, spec, TakeArg());
  }

  void ParseFlags(Spec& spec) {
    for (;;) {
      if (Accept(L'-')) spec.left = true;
      else if (Accept(L'+')) spec.plus = true;
      else if (Accept(L' ')) spec.space = true;
      else if (Accept(L'0')) spec.zero = true;
      else if (Accept(L'#')) spec.alt = true;
      else return;
    }
  }

  // A width or precision: digits, or '*' taking an integer argument (0 when there is none).
  int ParseCount() {
    if (Accept(L'*')) {
      const FormatArg* arg = TakeArg();
      std::int64_t v = arg == nullptr ? 0 : SignExtend(arg->AsUnsigned(), 32);
      return static_cast<int>(std::clamp<std::int64_t>(v, -kMaxField, kMaxField));
    }
    int value = 0;
    while (IsDigit(Peek())) {
      value = std::min(value * 10 + (Peek() - L'0'), kMaxField);
      ++pos_;
    }
    return value;
  }

  void ParseLength(Spec& spec) {
    wideHint_ = false;
    if (Accept(L'h')) {
      spec.narrowChar = true;
      spec.bits = Accept(L'h') ? 8 : 16;
    } else if (Accept(L'l')) {
      wideHint_ = true;
      spec.bits = Accept(L'l') ? 64 : 32;
    } else if (Accept(L'w')) {
      wideHint_ = true;
    } else if (Accept(L'I')) {
      spec.bits = 64;
      if (AcceptPair(L'6', L'4')) return;
      if (AcceptPair(L'3', L'2')) spec.bits = 32;
    } else if (Accept(L'q') || Accept(L'j') || Accept(L'z') || Accept(L't')) {
      spec.bits = 64;
    } else {
      Accept(L'L');
    }
  }

  bool AcceptPair(wchar_t first, wchar_t second) {
    if (pos_ + 1 >= format_.size() || Peek() != first ||
        static_cast<wchar_t>(format_[pos_ + 1]) != second) {
      return false;
    }
    pos_ += 2;
    return true;
  }

  std::basic_string_view<CharT> format_;
  std::size_t pos_ = 0;
  const FormatArg* next_;
  const FormatArg* end_;
  bool wideHint_ = false;
  std::wstring out_;
};

}  // namespace

std::wstring FormatText(std::wstring_view format, FormatArgs args) {
  return Renderer<wchar_t>(format, args).Run();
}

std::wstring FormatText(std::string_view format, FormatArgs args) {
  return Renderer<char>(format, args).Run();
}

std::wstring DecimalText(const FormatArg& integer) {
  const bool isUnsigned = integer.kind() == FormatArg::Kind::Unsigned;
  return FormatText(std::wstring_view(isUnsigned ? L"%llu" : L"%lld"), {integer});
}

}  // namespace text
