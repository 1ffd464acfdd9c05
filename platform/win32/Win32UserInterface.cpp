// Message boxes over MessageBoxIndirectW, with the executable as the source of a custom icon.
#include <windows.h>

#include "platform/UserInterface.h"
#include "platform/win32/Win32Services.h"

namespace platform::win32 {
namespace {

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
};

}  // namespace

UserInterface& Win32UserInterface() {
  static UserInterfaceApi ui;
  return ui;
}

}  // namespace platform::win32
