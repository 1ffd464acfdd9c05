#include "text/Fingerprint.h"

#include <cstring>

namespace text {

void Fingerprint::Mix(std::uint64_t word) {
  value_ = (value_ ^ word) * 0x9E3779B97F4A7C15u;
  value_ ^= value_ >> 29;
}

void Fingerprint::Add(std::string_view bytes) {
  // Eight bytes at a time: a script's every byte goes through here as it is read.
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    Mix(word);
  }
  std::uint64_t rest = bytes.size();
  for (; i < bytes.size(); ++i) rest = (rest << 8) | static_cast<unsigned char>(bytes[i]);
  Mix(rest);
}

}  // namespace text
