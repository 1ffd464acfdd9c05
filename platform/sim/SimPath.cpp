#include "platform/sim/SimPath.h"

#include <algorithm>

#include "platform/sim/SimText.h"

namespace platform::sim {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool HasDrive(std::wstring_view p) { return p.size() >= 2 && IsDriveLetter(p[0]) && p[1] == L':'; }

std::vector<std::wstring> SplitNames(std::wstring_view text) {
  std::vector<std::wstring> names;
  std::wstring current;
  for (wchar_t c : text) {
    if (!IsSeparator(c)) {
      current.push_back(c);
      continue;
    }
    names.push_back(current);
    current.clear();
  }
  names.push_back(current);
  return names;
}

// Applies ".", ".." and empty names to `names`, appending to `out`; `out` holds the names
// below the root, which ".." never removes.
void ApplyNames(const std::vector<std::wstring>& names, std::vector<std::wstring>* out) {
  for (const std::wstring& name : names) {
    if (name.empty() || name == L".") continue;
    if (name == L"..") {
      if (!out->empty()) out->pop_back();
      continue;
    }
    out->push_back(name);
  }
}

void TrimLastName(std::vector<std::wstring>* names) {
  if (names->empty()) return;
  std::wstring& last = names->back();
  while (!last.empty() && (last.back() == L'.' || last.back() == L' ')) last.pop_back();
  if (last.empty()) names->pop_back();
}

std::wstring Join(const std::wstring& root, const std::vector<std::wstring>& names,
                  bool trailing) {
  std::wstring out = root;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out.push_back(L'\\');
    out += names[i];
  }
  if (trailing && !names.empty()) out.push_back(L'\\');
  return out;
}

// "\\server\share\rest": root "\\server\share\" and the names of rest.
std::wstring NormaliseUnc(std::wstring_view path) {
  std::vector<std::wstring> all = SplitNames(path.substr(2));
  std::wstring root = L"\\\\" + all[0];
  std::size_t first = 1;
  if (all.size() > 1) {
    root += L"\\" + all[1];
    first = 2;
  }
  std::vector<std::wstring> rest(all.begin() + static_cast<std::ptrdiff_t>(std::min(first, all.size())), all.end());
  if (rest.empty()) return root;
  std::vector<std::wstring> names;
  ApplyNames(rest, &names);
  TrimLastName(&names);
  const bool trailing = IsSeparator(path.back()) && !names.empty();
  return Join(root + L"\\", names, trailing);
}

// The text a drive-rooted path is taken relative to, and the rest of the path.
void Anchor(std::wstring_view path, std::wstring_view cwd, std::wstring* base,
            std::wstring_view* rest) {
  if (HasDrive(path)) {
    if (path.size() > 2 && IsSeparator(path[2])) {
      *base = std::wstring(path.substr(0, 2));
      *rest = path.substr(2);
      return;
    }
    const bool onCwdDrive = HasDrive(cwd) && UpperChar(cwd[0]) == UpperChar(path[0]);
    *base = onCwdDrive ? std::wstring(cwd) : std::wstring(path.substr(0, 2));
    *rest = path.substr(2);
    return;
  }
  if (IsSeparator(path[0])) {
    *base = std::wstring(cwd.substr(0, 2));
    *rest = path;
    return;
  }
  *base = std::wstring(cwd);
  *rest = path;
}

bool GlobMatch(std::wstring_view p, std::wstring_view n) {
  std::size_t pi = 0, ni = 0, starP = std::wstring_view::npos, starN = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == L'?' || UpperChar(p[pi]) == UpperChar(n[ni]))) {
      ++pi;
      ++ni;
    } else if (pi < p.size() && p[pi] == L'*') {
      starP = pi++;
      starN = ni;
    } else if (starP != std::wstring_view::npos) {
      pi = starP + 1;
      ni = ++starN;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == L'*') ++pi;
  return pi == p.size();
}

}  // namespace

bool FullPathName(std::wstring_view path, std::wstring_view cwd, std::wstring* full) {
  if (path.empty()) return false;
  if (path.substr(0, 4) == L"\\\\?\\") {
    *full = std::wstring(path);
    return true;
  }
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    *full = NormaliseUnc(path);
    return true;
  }
  std::wstring base;
  std::wstring_view rest;
  Anchor(path, cwd, &base, &rest);
  if (!HasDrive(base)) return false;
  std::vector<std::wstring> names;
  std::vector<std::wstring> baseNames = SplitNames(std::wstring_view(base).substr(2));
  ApplyNames(baseNames, &names);
  ApplyNames(SplitNames(rest), &names);
  TrimLastName(&names);
  const bool trailing = IsSeparator(path.back()) && !names.empty();
  *full = Join(base.substr(0, 2) + L"\\", names, trailing);
  return true;
}

bool SplitDrivePath(std::wstring_view full, DrivePath* parts) {
  if (full.substr(0, 4) == L"\\\\?\\") full.remove_prefix(4);
  if (!HasDrive(full) || (full.size() > 2 && !IsSeparator(full[2]))) return false;
  parts->drive = UpperChar(full[0]);
  parts->names.clear();
  ApplyNames(SplitNames(full.substr(2)), &parts->names);
  parts->trailingSeparator = full.size() > 3 && IsSeparator(full.back());
  return true;
}

std::wstring JoinDrivePath(wchar_t drive, const std::vector<std::wstring>& names) {
  return Join(std::wstring{drive, L':', L'\\'}, names, false);
}

std::wstring ParentPath(std::wstring_view full) {
  const std::size_t slash = full.find_last_of(L"\\/");
  if (slash == std::wstring_view::npos) return std::wstring();
  if (slash == 2 && HasDrive(full)) return std::wstring(full.substr(0, 3));
  return std::wstring(full.substr(0, slash));
}

std::wstring FileNamePart(std::wstring_view path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

bool MatchesWildcard(std::wstring_view pattern, std::wstring_view name) {
  if (pattern == L"*" || pattern == L"*.*") return true;
  if (GlobMatch(pattern, name)) return true;
  const bool endsInAnyExtension = pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == L".*";
  return endsInAnyExtension && name.find(L'.') == std::wstring_view::npos &&
         GlobMatch(pattern.substr(0, pattern.size() - 2), name);
}

bool HasInvalidNameCharacter(std::wstring_view name) {
  for (wchar_t c : name) {
    if (c < 0x20) return true;
    if (std::wstring_view(L"<>:\"|?*").find(c) != std::wstring_view::npos) return true;
  }
  return false;
}

}  // namespace platform::sim
