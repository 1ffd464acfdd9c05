// The one way to report a failed system call the program goes on from: read the thread's
// last error and its system text at once, log them, and leave the error as it was for the
// caller (writing the log may change it).
//
//   if (platform::files().Copy(from, to, false)) return true;
//   const LastErrorReport failure;
//   TAMBER_LOG(Error, kCopyFile, L"Failed to copy file. GetLastError: 0x%X, '%s'",
//              failure.code, failure.text);
//   return false;
#pragma once

#include <string>

#include "platform/CurrentProcess.h"
#include "platform/Machine.h"
#include "platform/Types.h"
#include "setup/session/Messages.h"

namespace setup {

struct LastErrorReport {
  LastErrorReport() : code(platform::process().LastError()), text(SystemErrorText(code)) {}
  ~LastErrorReport() { platform::process().SetLastError(code); }
  LastErrorReport(const LastErrorReport&) = delete;
  LastErrorReport& operator=(const LastErrorReport&) = delete;

  const platform::Win32Error code;
  const std::wstring text;  // without its line break; empty when the system has none
};

}  // namespace setup
