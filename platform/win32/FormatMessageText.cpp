#include "platform/win32/FormatMessageText.h"

#include "platform/win32/ScopedResource.h"

namespace platform::win32 {

bool FormatMessageText(DWORD flags, const void* source, DWORD id, DWORD language,
                       std::wstring* text) {
  text->clear();
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(flags | FORMAT_MESSAGE_ALLOCATE_BUFFER, source, id,
                                        language, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const ScopedLocalMemory owner(buffer);
  if (length == 0) return false;
  text->assign(buffer, length);
  return true;
}

}  // namespace platform::win32
