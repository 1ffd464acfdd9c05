// Owns a file handle from platform::files().Create and closes it when it goes out of scope.
#pragma once

#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Types.h"

namespace platform {

class ScopedFile {
 public:
  explicit ScopedFile(Handle handle) : handle_(handle) {}
  ~ScopedFile() {
    if (handle_ != kNoHandle) files().Close(handle_);
  }
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;

  Handle get() const { return handle_; }
  bool valid() const { return handle_ != kNoHandle; }

 private:
  Handle handle_;
};

}  // namespace platform
