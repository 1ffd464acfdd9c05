#include "setup/commands/downloads/ModalDialog.h"

#include "platform/Machine.h"

namespace setup {

std::exception_ptr ModalDialog::DoModal(platform::Window owner, std::intptr_t* result) {
  owner_ = owner;
  failure_ = nullptr;
  const std::intptr_t ended = platform::ui().RunModalDialog(resourceId_, owner, *this);
  if (result != nullptr) *result = ended;
  window_ = 0;
  return failure_;
}

void ModalDialog::EndDialog(std::intptr_t result) { platform::ui().EndDialog(window_, result); }

bool ModalDialog::OnMessage(platform::Window dialog, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) {
  window_ = dialog;
  try {
    return HandleMessage(message, wParam, lParam);
  } catch (...) {
    failure_ = std::current_exception();
    EndDialog(-1);
    return true;
  }
}

}  // namespace setup
