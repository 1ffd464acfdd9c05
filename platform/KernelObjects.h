// Named kernel objects shared between processes: mutexes (more kinds join as they are needed).
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
  // WaitForSingleObject: wait::Object0, wait::Abandoned, wait::Timeout or wait::Failed.
  virtual std::uint32_t Wait(Handle object, std::uint32_t milliseconds) = 0;
  // ReleaseMutex.
  virtual bool ReleaseMutex(Handle mutex) = 0;
  // CloseHandle.
  virtual bool Close(Handle object) = 0;
};

}  // namespace platform
