// The user interface: message boxes (the progress dialog joins later).
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

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // MessageBoxIndirectW without owner window, default language. Returns the button id,
  // or 0 when the box could not be shown.
  virtual int ShowMessageBox(const MessageBoxRequest& request) = 0;
};

}  // namespace platform
