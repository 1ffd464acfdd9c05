#include "setup/engine/DecimalParameter.h"

#include <algorithm>
#include <cwctype>

namespace setup {

std::int32_t ParseDecimalParameter(const std::wstring& value) {
  std::size_t at = 0;
  while (at < value.size() && std::iswspace(value[at])) ++at;
  bool negative = false;
  if (at < value.size() && (value[at] == L'-' || value[at] == L'+')) negative = value[at++] == L'-';
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t magnitude = 0;
  for (; at < value.size() && value[at] >= L'0' && value[at] <= L'9'; ++at)
    magnitude = std::min<std::int64_t>(magnitude * 10 + (value[at] - L'0'), limit);
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace setup
