// The executable's resources: message table, string table and version block.
#include <windows.h>

#include <vector>

#include "platform/Resources.h"
#include "platform/win32/FormatMessageText.h"
#include "platform/win32/Win32Services.h"

namespace platform::win32 {
namespace {

HMODULE Executable() { return ::GetModuleHandleW(nullptr); }

// The executable's path, for the version functions, which read a file.
bool ExecutablePath(std::wstring* path) {
  std::vector<wchar_t> buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return false;
    if (length < buffer.size()) {
      path->assign(buffer.data(), length);
      return true;
    }
    buffer.assign(buffer.size() * 2, L'\0');  // truncated: try a larger buffer
  }
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
    std::wstring path;
    if (!ExecutablePath(&path)) return false;
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return false;
    std::vector<std::uint8_t> block(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return false;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) ||
        fixed == nullptr || fixedSize < sizeof(VS_FIXEDFILEINFO))
      return false;
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
