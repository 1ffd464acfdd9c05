// Ownership of a process handle for the length of one operation: closed on every path.
#pragma once

#include <utility>

#include "platform/Machine.h"
#include "platform/Processes.h"
#include "platform/Types.h"

namespace setup {

class ScopedProcess {
 public:
  ScopedProcess() = default;
  explicit ScopedProcess(platform::Handle process) : process_(process) {}
  ~ScopedProcess() { Reset(); }
  ScopedProcess(const ScopedProcess&) = delete;
  ScopedProcess& operator=(const ScopedProcess&) = delete;

  platform::Handle Get() const { return process_; }
  bool Valid() const { return process_ != platform::kNoHandle; }

  // Closes the held handle, if any, and holds `process` instead.
  void Reset(platform::Handle process = platform::kNoHandle) {
    if (Valid()) platform::processes().Close(process_);
    process_ = process;
  }

 private:
  platform::Handle process_ = platform::kNoHandle;
};

}  // namespace setup
