#include "platform/sim/SimErrorTexts.h"

namespace platform::sim {
namespace {

struct MessageText {
  std::uint32_t code;
  const wchar_t* text;
};

const MessageText kWin32Texts[] = {
    {0, L"The operation completed successfully."},
    {1, L"Incorrect function."},
    {2, L"The system cannot find the file specified."},
    {3, L"The system cannot find the path specified."},
    {4, L"The system cannot open the file."},
    {5, L"Access is denied."},
    {6, L"The handle is invalid."},
    {8, L"Not enough memory resources are available to process this command."},
    {14, L"Not enough memory resources are available to complete this operation."},
    {15, L"The system cannot find the drive specified."},
    {17, L"The system cannot move the file to a different disk drive."},
    {18, L"There are no more files."},
    {21, L"The device is not ready."},
    {32, L"The process cannot access the file because it is being used by another process."},
    {33, L"The process cannot access the file because another process has locked a portion of "
         L"the file."},
    {53, L"The network path was not found."},
    {80, L"The file exists."},
    {87, L"The parameter is incorrect."},
    {112, L"There is not enough space on the disk."},
    {122, L"The data area passed to a system call is too small."},
    {123, L"The filename, directory name, or volume label syntax is incorrect."},
    {126, L"The specified module could not be found."},
    {127, L"The specified procedure could not be found."},
    {161, L"The specified path is invalid."},
    {183, L"Cannot create a file when that file already exists."},
    {206, L"The filename or extension is too long."},
    {234, L"More data is available."},
    {258, L"The wait operation timed out."},
    {259, L"No more data is available."},
    {267, L"The directory name is invalid."},
    {288, L"Attempt to release mutex not owned by caller."},
    {317, L"The system cannot find message text for message number 0x%1 in the message file "
          L"for %2."},
    {740, L"The requested operation requires elevation."},
    {1058, L"The service cannot be started, either because it is disabled or because it has no "
           L"enabled devices associated with it."},
    {1060, L"The specified service does not exist as an installed service."},
    {1062, L"The service has not been started."},
    {1223, L"The operation was canceled by the user."},
    {1314, L"A required privilege is not held by the client."},
    {1332, L"No mapping between account names and security IDs was done."},
    {1400, L"Invalid window handle."},
    {1460, L"This operation returned because the timeout period expired."},
    {1602, L"User cancelled installation."},
    {1603, L"Fatal error during installation."},
    {1605, L"This action is only valid for products that are currently installed."},
    {1618, L"Another installation is already in progress. Complete that installation before "
           L"proceeding with this install."},
    {1619, L"This installation package could not be opened. Verify that the package exists and "
           L"that you can access it, or contact the application vendor to verify that this is a "
           L"valid Windows Installer package."},
    {1620, L"This installation package could not be opened. Contact the application vendor to "
           L"verify that this is a valid Windows Installer package."},
    {1624, L"Error applying transforms. Verify that the specified transform paths are valid."},
    {1641, L"The requested operation completed successfully. The system will be restarted so the "
           L"changes can take effect."},
    {1722, L"The RPC server is unavailable."},
    {1812, L"The specified image file did not contain a resource section."},
    {1813, L"The specified resource type cannot be found in the image file."},
    {1814, L"The specified resource name cannot be found in the image file."},
    {1815, L"The specified resource language ID cannot be found in the image file."},
    {3010, L"The requested operation is successful. Changes will not be effective until the "
           L"system is rebooted."},
};

const MessageText kHResultTexts[] = {
    {0x80004001u, L"Not implemented"},
    {0x80004002u, L"No such interface supported"},
    {0x80004003u, L"Invalid pointer"},
    {0x80004004u, L"Operation aborted"},
    {0x80004005u, L"Unspecified error"},
    {0x8000FFFFu, L"Catastrophic failure"},
    {0x80040154u, L"Class not registered"},
    {0x800401F0u, L"CoInitialize has not been called."},
    {0x800B0100u, L"No signature was present in the subject."},
};

template <std::size_t N>
const wchar_t* Lookup(const MessageText (&table)[N], std::uint32_t code) {
  for (const MessageText& entry : table)
    if (entry.code == code) return entry.text;
  return nullptr;
}

}  // namespace

const wchar_t* SystemMessageText(std::uint32_t code) {
  if ((code & 0xFFFF0000u) == 0x80070000u) return Lookup(kWin32Texts, code & 0xFFFFu);
  if (code <= 0xFFFFu) return Lookup(kWin32Texts, code);
  return Lookup(kHResultTexts, code);
}

}  // namespace platform::sim
