// ShowBox: shows one message box and exits with the button pressed, so that a test can show
// that BoxAnswer finds, reads and answers boxes.
//
//   ShowBox.exe --title TITLE --text TEXT [--style N]
//
// TITLE and TEXT are escaped arguments (EscapedText.h); N is the MessageBoxW style, decimal
// or 0x-prefixed hex (default 0x24: Yes/No with the question icon). Exit code: the button
// id (IDYES 6, IDNO 7, ...), 0 when the box could not be shown, 255 on bad arguments.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "EscapedText.h"

namespace {

constexpr int kBadArguments = 255;

struct Options {
  std::wstring title;
  std::wstring text;
  UINT style = MB_YESNO | MB_ICONQUESTION;
};

// Reads the command line into `options`; both texts are required.
bool ParseArguments(int argc, wchar_t** argv, Options* options) {
  if (argc % 2 == 0) return false;
  bool haveTitle = false, haveText = false;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::wstring name = argv[i], value = argv[i + 1];
    if (name == L"--title") {
      haveTitle = DecodeEscapes(value, &options->title);
      if (!haveTitle) return false;
    } else if (name == L"--text") {
      haveText = DecodeEscapes(value, &options->text);
      if (!haveText) return false;
    } else if (name == L"--style") {
      options->style = static_cast<UINT>(std::wcstoul(value.c_str(), nullptr, 0));
    } else {
      return false;
    }
  }
  return haveTitle && haveText;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  if (!ParseArguments(argc, argv, &options)) {
    std::fprintf(stderr, "usage: ShowBox.exe --title TITLE --text TEXT [--style N]\n");
    return kBadArguments;
  }
  return MessageBoxW(nullptr, options.text.c_str(), options.title.c_str(), options.style);
}
