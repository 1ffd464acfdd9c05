#include "platform/Com.h"

#include <cstdio>

namespace platform {

bool Guid::IsZero() const {
  if (data1 != 0 || data2 != 0 || data3 != 0) return false;
  for (auto b : data4)
    if (b != 0) return false;
  return true;
}

bool Guid::operator==(const Guid& other) const {
  return data1 == other.data1 && data2 == other.data2 && data3 == other.data3 &&
         data4 == other.data4;
}

std::wstring GuidToString(const Guid& g) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(g.data1), g.data2, g.data3, g.data4[0], g.data4[1],
                g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
  return std::wstring(buffer, buffer + 38);
}

}  // namespace platform
