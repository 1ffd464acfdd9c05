#include "text/DecimalDigits.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace text {
namespace {

// An unsigned big integer in base 2^32, least significant limb first.
using BigInt = std::vector<std::uint32_t>;

void MultiplySmall(BigInt& n, std::uint32_t factor) {
  std::uint64_t carry = 0;
  for (std::uint32_t& limb : n) {
    const std::uint64_t product = static_cast<std::uint64_t>(limb) * factor + carry;
    limb = static_cast<std::uint32_t>(product);
    carry = product >> 32;
  }
  if (carry != 0) n.push_back(static_cast<std::uint32_t>(carry));
}

// Divides in place by `divisor`, returning the remainder.
std::uint32_t DivideSmall(BigInt& n, std::uint32_t divisor) {
  std::uint64_t remainder = 0;
  for (std::size_t i = n.size(); i-- > 0;) {
    const std::uint64_t part = (remainder << 32) | n[i];
    n[i] = static_cast<std::uint32_t>(part / divisor);
    remainder = part % divisor;
  }
  while (!n.empty() && n.back() == 0) n.pop_back();
  return static_cast<std::uint32_t>(remainder);
}

std::string ToDecimal(BigInt n) {
  std::string reversed;
  while (!n.empty()) {
    std::uint32_t chunk = DivideSmall(n, 1000000000u);
    for (int i = 0; i < 9; ++i, chunk /= 10) reversed.push_back(static_cast<char>('0' + chunk % 10));
  }
  while (reversed.size() > 1 && reversed.back() == '0') reversed.pop_back();
  return std::string(reversed.rbegin(), reversed.rend());
}

// Multiplies by base^count, in factors that fit one limb.
void MultiplyPower(BigInt& n, std::uint32_t base, std::uint32_t chunk, int chunkExponent,
                   int count) {
  for (; count >= chunkExponent; count -= chunkExponent) MultiplySmall(n, chunk);
  for (; count > 0; --count) MultiplySmall(n, base);
}

void TrimTrailingZeros(DecimalDigits& number) {
  const std::size_t last = number.digits.find_last_not_of('0');
  if (last == std::string::npos) {
    number = DecimalDigits{};
    number.digits = "0";
    return;
  }
  number.digits.erase(last + 1);
}

// The digit at `index` of the expansion, '0' outside it.
char DigitAt(const DecimalDigits& number, int index) {
  if (index < 0 || index >= static_cast<int>(number.digits.size())) return '0';
  return number.digits[static_cast<std::size_t>(index)];
}

bool RoundsUp(const DecimalDigits& number, int count) {
  const char next = DigitAt(number, count);
  if (next != '5') return next > '5';
  if (static_cast<int>(number.digits.size()) > count + 1) return true;  // more after the 5
  return (DigitAt(number, count - 1) - '0') % 2 == 1;                    // a tie: to even
}

}  // namespace

DecimalDigits ExactDecimal(double value) {
  DecimalDigits number;
  number.digits = "0";
  value = std::fabs(value);
  if (value == 0) return number;
  int exponent = 0;
  const double fraction = std::frexp(value, &exponent);
  const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  BigInt n{static_cast<std::uint32_t>(mantissa), static_cast<std::uint32_t>(mantissa >> 32)};
  const int binaryExponent = exponent - 53;  // value = mantissa * 2^binaryExponent
  if (binaryExponent >= 0) {
    MultiplyPower(n, 2, 1u << 31, 31, binaryExponent);
    number.digits = ToDecimal(n);
    number.point = static_cast<int>(number.digits.size());
  } else {
    // mantissa / 2^k = mantissa * 5^k / 10^k
    MultiplyPower(n, 5, 1220703125u, 13, -binaryExponent);
    number.digits = ToDecimal(n);
    number.point = static_cast<int>(number.digits.size()) + binaryExponent;
  }
  TrimTrailingZeros(number);
  return number;
}

DecimalDigits RoundDigits(DecimalDigits number, int count) {
  if (number.digits == "0") return number;
  if (count >= static_cast<int>(number.digits.size())) return number;  // nothing to drop
  if (count < 0) return DecimalDigits{};  // below half a unit of the kept place: zero
  const bool up = RoundsUp(number, count);
  number.digits.resize(static_cast<std::size_t>(count));
  if (up) {
    int i = count - 1;
    for (; i >= 0 && number.digits[static_cast<std::size_t>(i)] == '9'; --i)
      number.digits[static_cast<std::size_t>(i)] = '0';
    if (i >= 0) {
      ++number.digits[static_cast<std::size_t>(i)];
    } else {
      number.digits.insert(0, 1, '1');
      ++number.point;
    }
  }
  TrimTrailingZeros(number);
  return number;
}

std::string FixedText(double value, int precision) {
  DecimalDigits number = ExactDecimal(value);
  if (number.digits != "0") number = RoundDigits(number, number.point + precision);
  std::string text;
  if (number.point <= 0 || number.digits == "0") text = "0";
  for (int i = 0; i < number.point && number.digits != "0"; ++i) text += DigitAt(number, i);
  if (precision > 0) text += '.';
  for (int i = 0; i < precision; ++i) text += DigitAt(number, number.point + i);
  return text;
}

std::string ScientificText(double value, int precision) {
  DecimalDigits number = RoundDigits(ExactDecimal(value), precision + 1);
  const bool zero = number.digits == "0";
  const int exponent = zero ? 0 : number.point - 1;
  std::string text(1, DigitAt(number, 0));
  if (precision > 0) text += '.';
  for (int i = 1; i <= precision; ++i) text += DigitAt(number, i);
  text += exponent < 0 ? "e-" : "e+";
  const int magnitude = exponent < 0 ? -exponent : exponent;
  if (magnitude < 10) text += '0';
  text += std::to_string(magnitude);
  return text;
}

}  // namespace text
