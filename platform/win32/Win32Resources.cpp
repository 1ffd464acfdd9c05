// The executable's resources: message table, string table and version block.
#include <windows.h>

#include <cstdint>

#include "platform/Resources.h"
#include "platform/win32/FormatMessageText.h"
#include "platform/win32/Win32Services.h"

namespace platform::win32 {
namespace {

HMODULE Executable() { return ::GetModuleHandleW(nullptr); }

// The fixed part of the executable's version block, read from its own resource: the version
// functions would need version.dll, which is no KnownDLL and would be looked for beside the
// executable first. Null when the executable has no version block.
const VS_FIXEDFILEINFO* FixedFileInfo() {
  HRSRC found = ::FindResourceW(Executable(), MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  if (found == nullptr) return nullptr;
  HGLOBAL loaded = ::LoadResource(Executable(), found);
  const auto* block = static_cast<const std::uint8_t*>(loaded ? ::LockResource(loaded) : nullptr);
  const DWORD size = ::SizeofResource(Executable(), found);
  if (block == nullptr) return nullptr;
  // VS_VERSIONINFO: three WORDs, the key "VS_VERSION_INFO", padding to a DWORD, then the
  // fixed part, which starts with its signature.
  for (DWORD at = 0; at + sizeof(VS_FIXEDFILEINFO) <= size; at += sizeof(DWORD)) {
    const auto* fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(block + at);
    if (fixed->dwSignature == VS_FFI_SIGNATURE) return fixed;
  }
  return nullptr;
}

class ResourcesApi final : public Resources {
 public:
  bool FormatModuleMessage(ModuleHandle module, std::uint32_t id, LangId language,
                           std::wstring* text) override {
    // A null module makes FormatMessageW search the executable. No inserts are ignored:
    // "%%" and "%0" must be interpreted, and with no argument list an insert fails the call.
    return FormatMessageText(FORMAT_MESSAGE_FROM_HMODULE, reinterpret_cast<HMODULE>(module), id,
                             language, text);
  }

  bool LoadStringResource(std::uint32_t id, std::wstring* text) override {
    // With a zero buffer size LoadStringW hands out a read-only pointer to the resource
    // itself, so strings of any length come back whole.
    const wchar_t* resource = nullptr;
    const int length = ::LoadStringW(Executable(), id, reinterpret_cast<wchar_t*>(&resource), 0);
    if (length <= 0 || resource == nullptr) return false;
    text->assign(resource, static_cast<std::size_t>(length));
    return true;
  }

  bool FileVersion(std::uint16_t parts[4]) override {
    const VS_FIXEDFILEINFO* fixed = FixedFileInfo();
    if (fixed == nullptr) return false;
    parts[0] = HIWORD(fixed->dwFileVersionMS);
    parts[1] = LOWORD(fixed->dwFileVersionMS);
    parts[2] = HIWORD(fixed->dwFileVersionLS);
    parts[3] = LOWORD(fixed->dwFileVersionLS);
    return true;
  }
};

}  // namespace

Resources& Win32Resources() {
  static ResourcesApi resources;
  return resources;
}

}  // namespace platform::win32
