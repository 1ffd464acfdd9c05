// The user interface: message boxes, and modal dialogs from the executable's dialog
// resources with the window operations their handlers use.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace platform {

namespace mb {
constexpr std::uint32_t Ok = 0x0;
constexpr std::uint32_t YesNo = 0x4;
constexpr std::uint32_t IconError = 0x10;
constexpr std::uint32_t IconQuestion = 0x20;
constexpr std::uint32_t IconWarning = 0x30;
constexpr std::uint32_t IconInformation = 0x40;
constexpr std::uint32_t UserIcon = 0x80;
constexpr std::uint32_t DefButton2 = 0x100;
constexpr std::uint32_t SetForeground = 0x10000;
constexpr int IdOk = 1;
constexpr int IdCancel = 2;
constexpr int IdYes = 6;
constexpr int IdNo = 7;
}  // namespace mb

struct MessageBoxRequest {
  std::wstring title;
  std::wstring text;
  std::uint32_t style = 0;
  std::uint32_t iconResource = 0;  // with mb::UserIcon: icon group of the executable
};

// A window (HWND); 0 is "no window" (the WindowHandle of the process interface).
using Window = std::uintptr_t;

// Window messages and the progress bar's, with Windows' values.
namespace wm {
constexpr std::uint32_t InitDialog = 0x0110;
constexpr std::uint32_t Command = 0x0111;
constexpr std::uint32_t Timer = 0x0113;
constexpr std::uint32_t App = 0x8000;
constexpr std::uint32_t ProgressSetRange = 0x0401;  // PBM_SETRANGE
constexpr std::uint32_t ProgressSetPos = 0x0402;    // PBM_SETPOS
}  // namespace wm

// The dialog procedure of a modal dialog: true when it handled `message`.
class DialogHandler {
 public:
  virtual ~DialogHandler() = default;
  virtual bool OnMessage(Window dialog, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam) = 0;
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // MessageBoxIndirectW without owner window, default language. Returns the button id,
  // or 0 when the box could not be shown.
  virtual int ShowMessageBox(const MessageBoxRequest& request) = 0;

  // DialogBoxParamW of the executable's dialog `resourceId` with `handler` as its procedure:
  // the value given to EndDialog, or -1 when the dialog could not be created.
  virtual std::intptr_t RunModalDialog(std::uint32_t resourceId, Window owner,
                                       DialogHandler& handler) = 0;
  // EndDialog.
  virtual bool EndDialog(Window dialog, std::intptr_t result) = 0;
  // SetWindowTextW and SetDlgItemTextW.
  virtual bool SetWindowCaption(Window window, const std::wstring& text) = 0;
  virtual bool SetDialogItemText(Window dialog, int item, const std::wstring& text) = 0;
  // SendDlgItemMessageW.
  virtual std::intptr_t SendDialogItemMessage(Window dialog, int item, std::uint32_t message,
                                              std::uintptr_t wParam, std::intptr_t lParam) = 0;
  // PostMessageW: false when the window does not exist.
  virtual bool PostWindowMessage(Window window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) = 0;
  // SetTimer and KillTimer: WM_TIMER with `id` every `milliseconds`.
  virtual bool SetTimer(Window window, std::uintptr_t id, std::uint32_t milliseconds) = 0;
  virtual bool KillTimer(Window window, std::uintptr_t id) = 0;
  // GetActiveWindow and SetForegroundWindow.
  virtual Window ActiveWindow() = 0;
  virtual bool SetForegroundWindow(Window window) = 0;
  // Centres `window` on `owner` when it is visible, else on the work area of the screen.
  virtual void CenterWindow(Window window, Window owner) = 0;
};

}  // namespace platform
