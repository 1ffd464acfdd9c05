// EventWaiter: the waiting side of the cross-process event protocol, as another program
// plays it, for the "set-event" scenarios.
//
//   EventWaiter.exe NAME REPORT TIMEOUT_MS
//
// Creates the mutex "Local\CrossProcessMutex:Memory:Event:NAME" and the 20-byte shared memory
// "Local\CrossProcessMemory:Event:NAME"; under the mutex writes "T4WS" at offset 0 and a new
// GUID G at offset 4, and creates the manual-reset event "Local\CrossProcessEvent:G". Then
// writes REPORT.ready with the line "waiting=G" and waits on the event. When it is set, reads
// the memory under the mutex and writes REPORT with the lines "waited=G", "now=<GUID at
// offset 4>" and "head=<first 4 bytes>". Exit code 0 woken, 3 not woken within TIMEOUT_MS,
// 1 an object could not be made, 255 bad arguments.
#include <windows.h>

#include <objbase.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace {

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40] = {};
  ::StringFromGUID2(guid, text, 40);
  return text;
}

bool WriteText(const std::wstring& path, const std::wstring& text) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string ascii(text.begin(), text.end());
  DWORD written = 0;
  const BOOL done = ::WriteFile(file, ascii.data(), static_cast<DWORD>(ascii.size()), &written, nullptr);
  ::CloseHandle(file);
  return done != FALSE;
}

struct Shared {
  HANDLE mutex = nullptr;
  HANDLE mapping = nullptr;
  unsigned char* view = nullptr;
};

bool Open(const std::wstring& name, Shared* shared) {
  shared->mutex = ::CreateMutexW(nullptr, FALSE, (L"Local\\CrossProcessMutex:Memory:Event:" + name).c_str());
  if (shared->mutex == nullptr) return false;
  shared->mapping = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 20,
                                         (L"Local\\CrossProcessMemory:Event:" + name).c_str());
  if (shared->mapping == nullptr) return false;
  shared->view = static_cast<unsigned char*>(::MapViewOfFile(shared->mapping, FILE_MAP_WRITE, 0, 0, 0));
  return shared->view != nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 255;
  const std::wstring name = argv[1];
  const std::wstring report = argv[2];
  const DWORD timeout = static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10));
  Shared shared;
  if (!Open(name, &shared)) return 1;
  GUID waited{};
  if (FAILED(::CoCreateGuid(&waited))) return 1;
  ::WaitForSingleObject(shared.mutex, INFINITE);
  std::memcpy(shared.view, "T4WS", 4);
  std::memcpy(shared.view + 4, &waited, sizeof waited);
  HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, (L"Local\\CrossProcessEvent:" + GuidText(waited)).c_str());
  ::ReleaseMutex(shared.mutex);
  if (event == nullptr || !WriteText(report + L".ready", L"waiting=" + GuidText(waited) + L"\n"))
    return 1;
  if (::WaitForSingleObject(event, timeout) != WAIT_OBJECT_0) return 3;
  ::WaitForSingleObject(shared.mutex, INFINITE);
  GUID now{};
  std::memcpy(&now, shared.view + 4, sizeof now);
  const std::wstring head(shared.view, shared.view + 4);
  ::ReleaseMutex(shared.mutex);
  WriteText(report, L"waited=" + GuidText(waited) + L"\nnow=" + GuidText(now) + L"\nhead=" + head + L"\n");
  return 0;
}
