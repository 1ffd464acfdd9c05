// A 64-bit fingerprint of bytes fed in pieces: it tells one file's content from another's
// by chance changes, not against someone crafting a match. Fed the same pieces, it is the
// same on every run; where the pieces are cut is part of it.
#pragma once

#include <cstdint>
#include <string_view>

namespace text {

class Fingerprint {
 public:
  void Add(std::string_view bytes);
  std::uint64_t value() const { return value_; }

 private:
  void Mix(std::uint64_t word);

  std::uint64_t value_ = 0;
};

}  // namespace text
