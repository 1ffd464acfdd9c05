// Message boxes over MessageBoxIndirectW, with the executable as the source of a custom icon,
// and modal dialogs over DialogBoxParamW whose procedure hands every message to the handler.
#include <windows.h>

#include <commctrl.h>

#include "platform/UserInterface.h"
#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Win32Services.h"

namespace platform::win32 {
namespace {

HWND ToHwnd(Window window) { return reinterpret_cast<HWND>(window); }
Window FromHwnd(HWND window) { return reinterpret_cast<Window>(window); }

// The handler travels in the dialog's DWLP_USER slot from WM_INITDIALOG on.
INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
  auto* handler = reinterpret_cast<DialogHandler*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  if (handler == nullptr) return FALSE;
  return handler->OnMessage(FromHwnd(dialog), message, wParam, lParam) ? TRUE : FALSE;
}

// The progress bar's window class lives in comctl32, which is not a KnownDLL: it is loaded
// from System32 by its full path when the first dialog is made.
void RegisterProgressBarClass() {
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  static SystemLibrary comctl32(L"comctl32.dll");
  static const InitFunction init = comctl32.Find<InitFunction>("InitCommonControlsEx");
  if (init == nullptr) return;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  init(&controls);
}

// The rectangle to centre on: the owner's when it is visible, else the work area.
RECT CentreArea(HWND owner) {
  RECT area{};
  if (owner != nullptr && ::IsWindowVisible(owner) && ::GetWindowRect(owner, &area)) return area;
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

class UserInterfaceApi final : public UserInterface {
 public:
  int ShowMessageBox(const MessageBoxRequest& request) override {
    MSGBOXPARAMSW box{};
    box.cbSize = sizeof box;
    box.hwndOwner = nullptr;
    box.hInstance = ::GetModuleHandleW(nullptr);
    box.lpszText = request.text.c_str();
    box.lpszCaption = request.title.c_str();
    box.dwStyle = request.style;
    box.lpszIcon = MAKEINTRESOURCEW(request.iconResource);
    box.dwLanguageId = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);
    return ::MessageBoxIndirectW(&box);
  }

  std::intptr_t RunModalDialog(std::uint32_t resourceId, Window owner,
                               DialogHandler& handler) override {
    RegisterProgressBarClass();
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId),
                             ToHwnd(owner), DialogProcedure, reinterpret_cast<LPARAM>(&handler));
  }
  bool EndDialog(Window dialog, std::intptr_t result) override {
    return ::EndDialog(ToHwnd(dialog), result) != FALSE;
  }
  bool SetWindowCaption(Window window, const std::wstring& text) override {
    return ::SetWindowTextW(ToHwnd(window), text.c_str()) != FALSE;
  }
  bool SetDialogItemText(Window dialog, int item, const std::wstring& text) override {
    return ::SetDlgItemTextW(ToHwnd(dialog), item, text.c_str()) != FALSE;
  }
  std::intptr_t SendDialogItemMessage(Window dialog, int item, std::uint32_t message,
                                      std::uintptr_t wParam, std::intptr_t lParam) override {
    return ::SendDlgItemMessageW(ToHwnd(dialog), item, message, wParam, lParam);
  }
  bool PostWindowMessage(Window window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override {
    return ::PostMessageW(ToHwnd(window), message, wParam, lParam) != FALSE;
  }
  bool SetTimer(Window window, std::uintptr_t id, std::uint32_t milliseconds) override {
    return ::SetTimer(ToHwnd(window), id, milliseconds, nullptr) != 0;
  }
  bool KillTimer(Window window, std::uintptr_t id) override {
    return ::KillTimer(ToHwnd(window), id) != FALSE;
  }
  Window ActiveWindow() override { return FromHwnd(::GetActiveWindow()); }
  bool SetForegroundWindow(Window window) override {
    return ::SetForegroundWindow(ToHwnd(window)) != FALSE;
  }
  void CenterWindow(Window window, Window owner) override {
    RECT own{};
    if (!::GetWindowRect(ToHwnd(window), &own)) return;
    const RECT area = CentreArea(ToHwnd(owner));
    const int width = own.right - own.left, height = own.bottom - own.top;
    const int x = area.left + ((area.right - area.left) - width) / 2;
    const int y = area.top + ((area.bottom - area.top) - height) / 2;
    ::SetWindowPos(ToHwnd(window), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
};

}  // namespace

UserInterface& Win32UserInterface() {
  static UserInterfaceApi ui;
  return ui;
}

}  // namespace platform::win32
