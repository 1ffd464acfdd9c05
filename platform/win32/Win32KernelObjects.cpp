// Kernel objects over the Windows API: CloseHandle and the waits for any of them, named
// mutexes, events and file mappings.
#include <windows.h>

#include "platform/KernelObjects.h"
#include "platform/win32/Win32Services.h"

namespace platform::win32 {
namespace {

HANDLE ToHandle(Handle object) { return reinterpret_cast<HANDLE>(object); }

// Every message waiting for this thread, dialog messages included: a modal window the
// thread owns keeps painting and answering while the thread waits.
void DispatchPendingMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

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

  bool ReleaseMutex(Handle mutex) override { return ::ReleaseMutex(ToHandle(mutex)) != FALSE; }

  Handle CreateNamedEvent(const std::wstring& name, bool manualReset, bool initiallySet,
                     bool* alreadyExisted) override {
    HANDLE event = ::CreateEventW(nullptr, manualReset ? TRUE : FALSE, initiallySet ? TRUE : FALSE,
                                  name.empty() ? nullptr : name.c_str());
    const bool existed = event != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (alreadyExisted != nullptr) *alreadyExisted = existed;
    return reinterpret_cast<Handle>(event);
  }

  bool SetEvent(Handle event) override { return ::SetEvent(ToHandle(event)) != FALSE; }

  Handle CreateNamedFileMapping(const std::wstring& name, std::uint32_t size,
                                bool* alreadyExisted) override {
    HANDLE mapping = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size,
                                          name.c_str());
    const bool existed = mapping != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (alreadyExisted != nullptr) *alreadyExisted = existed;
    return reinterpret_cast<Handle>(mapping);
  }

  std::uint8_t* MapView(Handle mapping) override {
    return static_cast<std::uint8_t*>(::MapViewOfFile(ToHandle(mapping), FILE_MAP_WRITE, 0, 0, 0));
  }

  bool UnmapView(std::uint8_t* view) override { return ::UnmapViewOfFile(view) != FALSE; }

  std::uint32_t Wait(Handle object, std::uint32_t milliseconds) override {
    return ::WaitForSingleObject(ToHandle(object), milliseconds);
  }

  std::uint32_t WaitDispatchingMessages(Handle object, std::uint32_t milliseconds) override {
    HANDLE handle = ToHandle(object);
    const DWORD start = ::GetTickCount();
    for (;;) {
      DWORD left = INFINITE;
      if (milliseconds != INFINITE) {
        const DWORD waited = ::GetTickCount() - start;
        left = waited >= milliseconds ? 0 : milliseconds - waited;
      }
      const DWORD result = ::MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_ALLINPUT);
      if (result != WAIT_OBJECT_0 + 1) return result;
      DispatchPendingMessages();
    }
  }

  bool Close(Handle object) override { return ::CloseHandle(ToHandle(object)) != FALSE; }
};

}  // namespace

KernelObjects& Win32KernelObjects() {
  static KernelObjectsApi kernel;
  return kernel;
}

}  // namespace platform::win32
