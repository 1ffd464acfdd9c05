#include "setup/commands/registry/RegistryValues.h"

#include "ComUtil/IssueError.h"
#include "logging/Log.h"
#include "platform/RegistryKey.h"

namespace setup {
namespace {

constexpr char kLogSource[] = "RegistryValues";

// A string value is read with a buffer that grows until the value fits, up to this size;
// Windows advises against values of more than about a megabyte.
constexpr std::uint32_t kFirstReadBytes = 1024;
constexpr std::uint32_t kLargestReadBytes = 4u << 20;

struct RootPrefix {
  const wchar_t* prefix;
  platform::RegKey root;
};

// In the order they are tried: the four-letter prefixes before "HKU\".
const RootPrefix kRootPrefixes[] = {
    {L"HKCR\\", platform::kHkeyClassesRoot}, {L"HKCU\\", platform::kHkeyCurrentUser},
    {L"HKLM\\", platform::kHkeyLocalMachine}, {L"HKCC\\", platform::kHkeyCurrentConfig},
    {L"HKU\\", platform::kHkeyUsers}};

}  // namespace

std::optional<RegistryPath> ParseRegistryPath(const std::wstring& path, const wchar_t* category) {
  for (const RootPrefix& entry : kRootPrefixes) {
    const std::wstring_view prefix = entry.prefix;
    if (path.compare(0, prefix.size(), prefix) != 0) continue;
    return RegistryPath{entry.root, std::wstring(prefix), path.substr(prefix.size())};
  }
  // The path comes first and the parameter's name second, as the line has always read.
  TAMBER_LOG(Error, category,
             L"Key root not found in %s: '%s', expected HKCR, HKCU, HKLM, HKU or HKCC.", path,
             L"registry-path");
  return std::nullopt;
}

platform::Win32Error ReadValueText(platform::RegKey key, const std::wstring& name,
                                   std::wstring* text) {
  platform::Win32Error error = platform::err::MoreData;
  for (std::uint32_t bytes = kFirstReadBytes;
       error == platform::err::MoreData && bytes <= kLargestReadBytes; bytes *= 2)
    error = platform::QueryExpandedStringValue(key, name, bytes, text);
  if (error != platform::err::Success) text->clear();
  return error;
}

std::int32_t ReadValueNumber(platform::RegKey key, const std::wstring& name) {
  return static_cast<std::int32_t>(platform::QueryDwordValue(key, name).value);
}

platform::ScopedRegKey CreateUserKeyForWriting(const std::wstring& path) {
  platform::ScopedRegKey key;
  ThrowIfRegistryFailed(key.Create(platform::kHkeyCurrentUser, path,
                                   platform::reg::Read | platform::reg::Write));
  return key;
}

void ThrowIfRegistryFailed(platform::Win32Error error) {
  TAMBER_THROW_IF_FAILED(platform::hr::FromWin32(error));
}

}  // namespace setup
