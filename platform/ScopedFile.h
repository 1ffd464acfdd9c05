// Owns a file handle from platform::files().Create and closes it when it goes out of scope.
#pragma once

#include "platform/Files.h"
#include "platform/Owner.h"

namespace platform {

using ScopedFile = Owner<HandleTraits<Files, &Files::Close, &files>>;

}  // namespace platform
