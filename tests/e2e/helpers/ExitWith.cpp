// ExitWith: a program for the "execute" scenarios. Ends with the exit code given as its
// first argument (decimal, may be negative), after sleeping the milliseconds given as its
// optional second argument, and appends its arguments as one line to the file named by the
// environment variable TAMBER4_EXITWITH_RECORD when that is set, so a test can see that it
// ran and when.
#include <windows.h>

#include <cwchar>
#include <cstdlib>
#include <string>

namespace {

void RecordRun(int argc, wchar_t** argv) {
  wchar_t record[MAX_PATH] = {};
  if (::GetEnvironmentVariableW(L"TAMBER4_EXITWITH_RECORD", record, MAX_PATH) == 0) return;
  std::string line;
  for (int i = 1; i < argc; ++i) {
    char narrow[512] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, narrow, sizeof(narrow), nullptr, nullptr);
    if (i > 1) line += ' ';
    line += narrow;
  }
  line += "\r\n";
  HANDLE file = ::CreateFileW(record, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  ::CloseHandle(file);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  RecordRun(argc, argv);
  if (argc > 2) ::Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
  return argc > 1 ? static_cast<int>(std::wcstol(argv[1], nullptr, 10)) : 0;
}
