// Named kernel objects over the Windows API.
#include <windows.h>

#include "platform/KernelObjects.h"
#include "platform/win32/Win32Services.h"

namespace platform::win32 {
namespace {

HANDLE ToHandle(Handle object) { return reinterpret_cast<HANDLE>(object); }

class KernelObjectsApi final : public KernelObjects {
 public:
  Handle CreateNamedMutex(const std::wstring& name, bool initialOwner,
                          bool* alreadyExisted) override {
    HANDLE mutex = ::CreateMutexW(nullptr, initialOwner ? TRUE : FALSE, name.c_str());
    // Windows reports an existing name through the last error of a successful call.
    const bool existed = mutex != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (alreadyExisted != nullptr) *alreadyExisted = existed;
    return reinterpret_cast<Handle>(mutex);
  }

  std::uint32_t Wait(Handle object, std::uint32_t milliseconds) override {
    return ::WaitForSingleObject(ToHandle(object), milliseconds);
  }

  bool ReleaseMutex(Handle mutex) override { return ::ReleaseMutex(ToHandle(mutex)) != FALSE; }

  bool Close(Handle object) override { return ::CloseHandle(ToHandle(object)) != FALSE; }
};

}  // namespace

KernelObjects& Win32KernelObjects() {
  static KernelObjectsApi kernel;
  return kernel;
}

}  // namespace platform::win32
