#include "platform/sim/SimUserInterface.h"

namespace platform::sim {
namespace {

constexpr std::uint32_t kButtonMask = 0xF;
constexpr std::uint32_t kOkCancel = 0x1;
constexpr std::uint32_t kAbortRetryIgnore = 0x2;
constexpr std::uint32_t kYesNoCancel = 0x3;
constexpr std::uint32_t kRetryCancel = 0x5;
constexpr int kIdAbort = 3;

}  // namespace

int SimUserInterface::DefaultAnswer(std::uint32_t style) {
  switch (style & kButtonMask) {
    case mb::YesNo: return mb::IdNo;
    case kOkCancel:
    case kYesNoCancel:
    case kRetryCancel: return mb::IdCancel;
    case kAbortRetryIgnore: return kIdAbort;
    default: return mb::IdOk;
  }
}

int SimUserInterface::ShowMessageBox(const MessageBoxRequest& request) {
  ShownBox box;
  box.request = request;
  box.defaulted = answers_.empty();
  if (box.defaulted) {
    box.answer = DefaultAnswer(request.style);
  } else {
    box.answer = answers_.front();
    answers_.pop_front();
  }
  boxes_.push_back(box);
  if (observer_) observer_(box);
  return box.answer;
}

}  // namespace platform::sim
