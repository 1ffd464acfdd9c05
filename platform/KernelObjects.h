// Kernel objects through their handles: closing and waiting work on any of them (process,
// mutex, event, token, file), as CloseHandle and WaitForSingleObject do; and the named
// objects the program shares with others (mutexes, events).
#pragma once

#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace platform {

class KernelObjects {
 public:
  virtual ~KernelObjects() = default;

  // CreateMutexW. *alreadyExisted is true when the name was already in use (the
  // ERROR_ALREADY_EXISTS case; the caller then does not own it). kNoHandle on failure.
  virtual Handle CreateNamedMutex(const std::wstring& name, bool initialOwner,
                                  bool* alreadyExisted) = 0;
  // ReleaseMutex.
  virtual bool ReleaseMutex(Handle mutex) = 0;
  // CreateEventW with default security; an empty name makes an unnamed event. kNoHandle on
  // failure; *alreadyExisted as for mutexes.
  virtual Handle CreateNamedEvent(const std::wstring& name, bool manualReset, bool initiallySet,
                             bool* alreadyExisted) = 0;
  // SetEvent.
  virtual bool SetEvent(Handle event) = 0;

  // CreateFileMappingW on the paging file with read/write pages: `size` bytes of memory
  // shared under `name`. kNoHandle on failure; *alreadyExisted as for mutexes (an existing
  // mapping keeps its own size).
  virtual Handle CreateNamedFileMapping(const std::wstring& name, std::uint32_t size,
                                        bool* alreadyExisted) = 0;
  // MapViewOfFile with write access to the whole mapping: the first byte of the view, or
  // null on failure. The view stays valid until UnmapView, even when the mapping's handle
  // is closed before.
  virtual std::uint8_t* MapView(Handle mapping) = 0;
  // UnmapViewOfFile.
  virtual bool UnmapView(std::uint8_t* view) = 0;

  // WaitForSingleObject on any waitable object: wait::Object0, wait::Abandoned (a mutex
  // whose owner ended without releasing it; the caller now owns it), wait::Timeout or
  // wait::Failed.
  virtual std::uint32_t Wait(Handle object, std::uint32_t milliseconds) = 0;
  // The same wait, dispatching the calling thread's window messages while it lasts
  // (MsgWaitForMultipleObjects), so a window the thread owns keeps working.
  virtual std::uint32_t WaitDispatchingMessages(Handle object, std::uint32_t milliseconds) = 0;
  // CloseHandle, for any kernel object.
  virtual bool Close(Handle object) = 0;
};

}  // namespace platform
