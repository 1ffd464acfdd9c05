#include "ComUtil/ComApartment.h"

#include "ComUtil/IssueError.h"
#include "platform/Machine.h"

namespace ComUtil {
namespace {

constexpr char kLogSource[] = "ComApartment";

SessionComApartment* activeSession = nullptr;

}  // namespace

void EnterComApartment() {
  if (activeSession != nullptr && activeSession->entered_) return;
  TAMBER_THROW_IF_FAILED(platform::com().Initialize());
  if (activeSession != nullptr) activeSession->entered_ = true;
}

SessionComApartment::SessionComApartment() : outer_(activeSession) { activeSession = this; }

SessionComApartment::~SessionComApartment() {
  if (entered_) platform::com().Uninitialize();
  activeSession = outer_;
}

}  // namespace ComUtil
