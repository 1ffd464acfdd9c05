// Linger: a program that runs for a set time and then ends by itself, or runs until it is
// ended, so that a scenario can wait for it by its process id or its file name.
//
//   Linger.exe READY MILLISECONDS|forever
//
// Creates the file READY once it runs, then sleeps MILLISECONDS (or, with "forever", five
// minutes, long past any test) and ends with exit code 0. Exit code 2: READY could not be
// created; 255: bad arguments.
#include <windows.h>

#include <cwchar>

namespace {

constexpr DWORD kForeverMs = 5 * 60 * 1000;

bool CreateReadyFile(const wchar_t* path) {
  HANDLE file = ::CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 255;
  const bool forever = std::wcscmp(argv[2], L"forever") == 0;
  const DWORD milliseconds = forever ? kForeverMs : static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10));
  if (!CreateReadyFile(argv[1])) return 2;
  ::Sleep(milliseconds);
  return 0;
}
