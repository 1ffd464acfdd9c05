// Version texts compare as an order: a text equals itself, and swapping two texts swaps the
// sign of their comparison.
#include "fuzz/FuzzSupport.h"
#include "setup/session/VersionCompare.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring text = fuzz::Utf16(data, size);
  const std::size_t cut = text.find(L'|');
  const std::wstring a = text.substr(0, cut);
  const std::wstring b = cut == std::wstring::npos ? std::wstring() : text.substr(cut + 1);
  const auto sign = [](int v) { return (v > 0) - (v < 0); };
  fuzz::Require(setup::CompareVersionStrings(a, a) == 0, "a version equals itself");
  fuzz::Require(sign(setup::CompareVersionStrings(a, b)) == -sign(setup::CompareVersionStrings(b, a)),
                "comparison is antisymmetric");
  return 0;
}
