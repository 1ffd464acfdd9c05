// TakeOwn: a stand-in for the system's takeown.exe, which Wine lacks, for the folder
// permission scenarios. Placed in system32 as takeown.exe, it appends its command line as one
// line to takeown-record.txt beside itself and ends with the number in takeown-exit.txt
// beside itself (0 when that file is missing).
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

// The path of `name` in this program's own folder.
std::wstring Beside(const wchar_t* name) {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

void RecordCommandLine() {
  char narrow[2048] = {};
  ::WideCharToMultiByte(CP_UTF8, 0, ::GetCommandLineW(), -1, narrow, sizeof(narrow), nullptr, nullptr);
  const std::string line = std::string(narrow) + "\r\n";
  HANDLE file = ::CreateFileW(Beside(L"takeown-record.txt").c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  ::CloseHandle(file);
}

int ChosenExitCode() {
  HANDLE file = ::CreateFileW(Beside(L"takeown-exit.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  char text[16] = {};
  DWORD read = 0;
  ::ReadFile(file, text, sizeof(text) - 1, &read, nullptr);
  ::CloseHandle(file);
  return std::atoi(text);
}

}  // namespace

int wmain() {
  RecordCommandLine();
  return ChosenExitCode();
}
