// BoxAnswer: answers a message box for an end-to-end test.
//
//   BoxAnswer.exe --title TITLE --text TEXT --press yes|no|ok|cancel [--timeout-ms N]
//
// Waits up to N milliseconds (default 30000) for a visible, captioned message box (a #32770
// window with the message text control 0xFFFF), prints its title and text (escaped, see
// EscapedText.h), and when both equal the expected ones exactly, presses the button with
// BM_CLICK and waits for the box to close. A box that does not match is left open.
// TITLE and TEXT are escaped arguments.
//
// Exit codes: 0 answered; 2 bad arguments; 3 no box in time; 4 title differs; 5 text
// differs; 6 the box has no such button; 7 the box did not close after the press.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "EscapedText.h"

namespace {

enum ExitCode {
  kAnswered = 0,
  kBadArguments = 2,
  kNoBox = 3,
  kTitleDiffers = 4,
  kTextDiffers = 5,
  kNoSuchButton = 6,
  kBoxStayedOpen = 7,
};

constexpr int kMessageTextControl = 0xFFFF;
constexpr DWORD kPollMilliseconds = 20;
constexpr DWORD kCloseTimeoutMilliseconds = 5000;

struct Options {
  std::wstring title;
  std::wstring text;
  int button = 0;
  DWORD timeoutMilliseconds = 30000;
};

int ButtonId(const std::wstring& name) {
  if (name == L"yes") return IDYES;
  if (name == L"no") return IDNO;
  if (name == L"ok") return IDOK;
  if (name == L"cancel") return IDCANCEL;
  return 0;
}

// Reads the command line into `options`; false (after saying why) when it is not usable.
bool ParseArguments(int argc, wchar_t** argv, Options* options) {
  bool haveTitle = false, haveText = false;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::wstring name = argv[i], value = argv[i + 1];
    if (name == L"--title") {
      haveTitle = DecodeEscapes(value, &options->title);
      if (!haveTitle) std::fprintf(stderr, "malformed escape in --title\n");
    } else if (name == L"--text") {
      haveText = DecodeEscapes(value, &options->text);
      if (!haveText) std::fprintf(stderr, "malformed escape in --text\n");
    } else if (name == L"--press") {
      options->button = ButtonId(value);
    } else if (name == L"--timeout-ms") {
      options->timeoutMilliseconds = static_cast<DWORD>(std::wcstoul(value.c_str(), nullptr, 10));
    } else {
      std::fprintf(stderr, "unknown option %ls\n", name.c_str());
      return false;
    }
  }
  if (argc % 2 == 0 || !haveTitle || !haveText || options->button == 0) {
    std::fprintf(stderr,
                 "usage: BoxAnswer.exe --title TITLE --text TEXT --press yes|no|ok|cancel "
                 "[--timeout-ms N]\n");
    return false;
  }
  return true;
}

std::wstring WindowText(HWND window) {
  int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  int copied = GetWindowTextW(window, &text[0], length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

bool IsMessageBox(HWND window) {
  wchar_t className[16] = {};
  if (!GetClassNameW(window, className, 16) || std::wcscmp(className, L"#32770") != 0) {
    return false;
  }
  // A box can be found before it is shown and captioned; wait until it is both.
  return IsWindowVisible(window) && GetWindowTextLengthW(window) > 0 &&
         GetDlgItem(window, kMessageTextControl) != nullptr;
}

BOOL CALLBACK FindMessageBox(HWND window, LPARAM found) {
  if (!IsMessageBox(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The first message box to appear within `timeout`, or null.
HWND WaitForMessageBox(DWORD timeout, DWORD* waited) {
  DWORD start = GetTickCount();
  for (;;) {
    HWND found = nullptr;
    EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&found));
    *waited = GetTickCount() - start;
    if (found) return found;
    if (*waited >= timeout) return nullptr;
    Sleep(kPollMilliseconds);
  }
}

bool WaitForClose(HWND window) {
  DWORD start = GetTickCount();
  while (IsWindow(window)) {
    if (GetTickCount() - start >= kCloseTimeoutMilliseconds) return false;
    Sleep(kPollMilliseconds);
  }
  return true;
}

int Answer(const Options& options) {
  DWORD waited = 0;
  HWND box = WaitForMessageBox(options.timeoutMilliseconds, &waited);
  if (!box) {
    std::printf("no message box within %lu ms\n", static_cast<unsigned long>(waited));
    return kNoBox;
  }
  std::wstring title = WindowText(box);
  std::wstring text = WindowText(GetDlgItem(box, kMessageTextControl));
  std::printf("found after %lu ms\n", static_cast<unsigned long>(waited));
  std::printf("title: %s\n", EncodeEscapes(title).c_str());
  std::printf("text: %s\n", EncodeEscapes(text).c_str());
  if (title != options.title) {
    std::printf("mismatch: title\n");
    return kTitleDiffers;
  }
  if (text != options.text) {
    std::printf("mismatch: text\n");
    return kTextDiffers;
  }
  HWND button = GetDlgItem(box, options.button);
  if (!button) {
    std::printf("no button %d\n", options.button);
    return kNoSuchButton;
  }
  SendMessageW(button, BM_CLICK, 0, 0);
  std::printf("pressed: %d\n", options.button);
  return WaitForClose(box) ? kAnswered : kBoxStayedOpen;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  if (!ParseArguments(argc, argv, &options)) return kBadArguments;
  int code = Answer(options);
  std::fflush(stdout);
  return code;
}
