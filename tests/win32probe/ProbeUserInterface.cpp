// Message box: a yes/no box shown through the service and answered by a second thread, which
// reads back its caption and text. Without a display (and without Wine's null graphics
// driver) no box can be shown, and the check is skipped.
#include <windows.h>

#include <cstdio>

#include "Probe.h"
#include "platform/Machine.h"
#include "platform/UserInterface.h"

namespace probe {
namespace {

constexpr wchar_t kTitle[] = L"Tamber4 probe";
constexpr wchar_t kText[] = L"Answer yes, please: \u00e4\u00f1";

struct Answerer {
  HANDLE thread = nullptr;
  bool textSeen = false;

  // EnumWindows callback: stops at the probe's own visible box with the expected caption.
  static BOOL CALLBACK IsProbeBox(HWND window, LPARAM context) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    wchar_t className[16] = {}, caption[64] = {};
    ::GetClassNameW(window, className, 16);
    ::GetWindowTextW(window, caption, 64);
    if (processId != ::GetCurrentProcessId() || lstrcmpW(className, L"#32770") != 0 ||
        lstrcmpW(caption, kTitle) != 0 || !::IsWindowVisible(window))
      return TRUE;
    *reinterpret_cast<HWND*>(context) = window;
    return FALSE;
  }

  static HWND FindBox() {
    HWND found = nullptr;
    ::EnumWindows(&IsProbeBox, reinterpret_cast<LPARAM>(&found));
    return found;
  }

  static DWORD WINAPI Run(void* context) {
    auto* answerer = static_cast<Answerer*>(context);
    for (int attempt = 0; attempt < 500; ++attempt) {
      if (HWND box = FindBox()) {
        wchar_t text[64] = {};
        ::GetDlgItemTextW(box, 0xFFFF, text, 64);
        answerer->textSeen = lstrcmpW(text, kText) == 0;
        ::SendMessageW(::GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
        return 0;
      }
      ::Sleep(20);
    }
    // The box is up but cannot be found: end the probe rather than hang.
    std::printf("FAIL ui: the message box never appeared\n");
    std::fflush(stdout);
    ::ExitProcess(1);
  }
};

}  // namespace

void ProbeUserInterface() {
  platform::MessageBoxRequest request;
  request.title = kTitle;
  request.text = kText;
  request.style = platform::mb::YesNo | platform::mb::IconQuestion;
  Answerer answerer;
  answerer.thread = ::CreateThread(nullptr, 0, &Answerer::Run, &answerer, 0, nullptr);
  const int button = platform::ui().ShowMessageBox(request);
  if (button <= 0) {
    ::TerminateThread(answerer.thread, 0);
    ::CloseHandle(answerer.thread);
    Skip("ui: ShowMessageBox", "no box can be shown here (no display)");
    return;
  }
  ::WaitForSingleObject(answerer.thread, 5000);
  ::CloseHandle(answerer.thread);
  Check("ui: ShowMessageBox returns the pressed button", button == platform::mb::IdYes,
        std::to_wstring(button));
  Check("ui: the box shows the request's caption and text", answerer.textSeen);
}

}  // namespace probe
