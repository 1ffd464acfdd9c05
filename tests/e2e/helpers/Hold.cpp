// Hold: a program that waits until the test lets it go, so that a scenario can keep another
// program busy at a known point (run through "execute" with a wait) or keep a file locked.
//
//   Hold.exe MARKER [FILE]
//
// With FILE, first opens (or creates) FILE for writing, sharing read access only, as a
// program that keeps a log open would; other writers are then refused. Then creates the
// file MARKER, which tells the test that it is holding, and waits until the test deletes
// MARKER (polled every 20 ms, for at most 5 minutes). Exit code: 0 released, 1 FILE could not
// be opened, 2 MARKER could not be created, 3 never released, 255 bad arguments.
#include <windows.h>

namespace {

constexpr DWORD kPollMs = 20;
constexpr DWORD kLongestHoldMs = 5 * 60 * 1000;

bool CreateMarker(const wchar_t* marker) {
  HANDLE file = ::CreateFileW(marker, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
}

// Waits until `marker` is gone; false when the longest hold passed first.
bool WaitForRelease(const wchar_t* marker) {
  for (DWORD waited = 0; waited < kLongestHoldMs; waited += kPollMs) {
    if (::GetFileAttributesW(marker) == INVALID_FILE_ATTRIBUTES) return true;
    ::Sleep(kPollMs);
  }
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2 && argc != 3) return 255;
  HANDLE held = INVALID_HANDLE_VALUE;
  if (argc == 3) {
    held = ::CreateFileW(argv[2], GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) return 1;
  }
  int code = 0;
  if (!CreateMarker(argv[1]))
    code = 2;
  else if (!WaitForRelease(argv[1]))
    code = 3;
  if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
  return code;
}
