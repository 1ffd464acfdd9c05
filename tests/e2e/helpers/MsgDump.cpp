// MsgDump: writes messages of a module's message table, formatted by the system, to a file.
//
//   MsgDump.exe MODULE OUTPUT ID:LANGUAGE [ID:LANGUAGE ...]
//
// Loads MODULE as a data file and formats each message with FormatMessageW from the module,
// with no insert values, exactly as the bootstrapper formats its own messages. Numbers are
// decimal or 0x-prefixed hex. OUTPUT is UTF-16LE without byte-order mark, one record per
// request:
//
//   id=ID lang=0xLLLL error=E length=N\n<N UTF-16 code units of text>\n
//
// where E is 0 on success and the last error otherwise (then N is 0).
//
// Exit codes: 0 all records written (whatever each lookup gave); 2 bad arguments; 3 the
// module could not be loaded; 4 the output could not be written.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

enum ExitCode { kWritten = 0, kBadArguments = 2, kNoModule = 3, kWriteFailed = 4 };

struct Request {
  DWORD id = 0;
  DWORD language = 0;
};

bool ParseRequest(const wchar_t* argument, Request* request) {
  wchar_t* end = nullptr;
  request->id = std::wcstoul(argument, &end, 0);
  if (end == argument || *end != L':') return false;
  const wchar_t* language = end + 1;
  request->language = std::wcstoul(language, &end, 0);
  return end != language && *end == L'\0';
}

// One record: the header line, the text, a line break.
std::wstring FormatRecord(HMODULE module, const Request& request) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                module, request.id, request.language,
                                reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  DWORD error = length ? 0 : GetLastError();
  std::wstring text = length ? std::wstring(buffer, length) : std::wstring();
  if (buffer) LocalFree(buffer);
  wchar_t header[96];
  std::swprintf(header, 96, L"id=%lu lang=0x%04lX error=%lu length=%lu\n",
                static_cast<unsigned long>(request.id),
                static_cast<unsigned long>(request.language), static_cast<unsigned long>(error),
                static_cast<unsigned long>(text.size()));
  return header + text + L"\n";
}

bool WriteUtf16(const wchar_t* path, const std::wstring& content) {
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD size = static_cast<DWORD>(content.size() * sizeof(wchar_t)), written = 0;
  bool ok = WriteFile(file, content.data(), size, &written, nullptr) && written == size;
  return CloseHandle(file) && ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: MsgDump.exe MODULE OUTPUT ID:LANGUAGE [ID:LANGUAGE ...]\n");
    return kBadArguments;
  }
  HMODULE module = LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) {
    std::fprintf(stderr, "cannot load %ls: error %lu\n", argv[1], GetLastError());
    return kNoModule;
  }
  std::wstring content;
  for (int i = 3; i < argc; ++i) {
    Request request;
    if (!ParseRequest(argv[i], &request)) {
      std::fprintf(stderr, "bad request %ls (want ID:LANGUAGE)\n", argv[i]);
      FreeLibrary(module);
      return kBadArguments;
    }
    content += FormatRecord(module, request);
  }
  FreeLibrary(module);
  return WriteUtf16(argv[2], content) ? kWritten : kWriteFailed;
}
