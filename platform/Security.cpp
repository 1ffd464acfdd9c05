// The DACL edits and path rules that are the same on every machine.
#include "platform/Security.h"

#include <algorithm>

namespace platform {
namespace {

bool IsSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

// The end of the first `parts` backslash-separated names after position `from`.
std::size_t EndOfNames(const std::wstring& path, std::size_t from, int parts) {
  std::size_t at = from;
  for (int part = 0; part < parts; ++part) {
    if (part > 0) {
      if (at >= path.size()) return at;
      ++at;  // the separator
    }
    while (at < path.size() && !IsSlash(path[at])) ++at;
  }
  return at;
}

}  // namespace

void RemoveAces(AceList* aces, const Sid& sid) {
  aces->erase(std::remove_if(aces->begin(), aces->end(),
                             [&](const Ace& entry) { return entry.sid == sid; }),
              aces->end());
}

void AddAllowedAce(AceList* aces, const Sid& sid, std::uint32_t mask, std::uint8_t flags) {
  aces->push_back({ace::AccessAllowed, flags, mask, sid});
}

AceList CanonicalOrder(const AceList& aces) {
  auto rank = [](const Ace& entry) {
    if (entry.flags & ace::Inherited) return 2;
    return entry.type == ace::AccessDenied ? 0 : 1;
  };
  AceList ordered = aces;
  std::stable_sort(ordered.begin(), ordered.end(),
                   [&](const Ace& a, const Ace& b) { return rank(a) < rank(b); });
  return ordered;
}

std::wstring StripToRoot(const std::wstring& path) {
  if (path.size() >= 2 && IsSlash(path[0]) && IsSlash(path[1]))
    return path.substr(0, EndOfNames(path, 2, 2));  // \\server\share
  if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2) + L"\\";
  if (!path.empty() && IsSlash(path[0])) return L"\\";
  return std::wstring();
}

}  // namespace platform
