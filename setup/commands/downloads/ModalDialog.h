// A small modal dialog class over the platform's dialog operations: a dialog resource, a
// message handler, and the error that ended it. An exception thrown by a handler cannot
// travel through the system's dialog procedure: it ends the dialog instead, and DoModal
// hands it back to the caller.
#pragma once

#include <cstdint>
#include <exception>

#include "platform/UserInterface.h"

namespace setup {

class ModalDialog : public platform::DialogHandler {
 public:
  explicit ModalDialog(std::uint32_t resourceId) : resourceId_(resourceId) {}

  // Runs the dialog owned by `owner` (0 for none) until it ends. Returns the error a
  // handler threw, or null. *result, when given, receives EndDialog's value (-1 when the
  // dialog could not be created).
  std::exception_ptr DoModal(platform::Window owner, std::intptr_t* result = nullptr);

 protected:
  platform::Window DialogWindow() const { return window_; }
  platform::Window Owner() const { return owner_; }
  void EndDialog(std::intptr_t result);
  // The dialog's message map: true when `message` was handled. May throw.
  virtual bool HandleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;

 private:
  bool OnMessage(platform::Window dialog, std::uint32_t message, std::uintptr_t wParam,
                 std::intptr_t lParam) final;

  std::uint32_t resourceId_;
  platform::Window window_ = 0;
  platform::Window owner_ = 0;
  std::exception_ptr failure_;
};

}  // namespace setup
