#include "platform/sim/SimUserInterface.h"

#include <algorithm>

#include "platform/sim/SimClock.h"

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
  const std::optional<int> given =
      answers_.empty() && answerSource_ ? answerSource_(request) : std::nullopt;
  box.defaulted = answers_.empty() && !given;
  if (given) {
    box.answer = *given;
  } else if (box.defaulted) {
    box.answer = DefaultAnswer(request.style);
  } else {
    box.answer = answers_.front();
    answers_.pop_front();
  }
  boxes_.push_back(box);
  if (observer_) observer_(box);
  return box.answer;
}

// --- Modal dialogs.

namespace {

constexpr std::uint32_t kProgressDialog = 128;
constexpr Window kFirstDialogWindow = 0x10010;

}  // namespace

void SimUserInterface::SetModalLoop(SimClock* clock,
                                    std::function<std::optional<std::uint64_t>()> nextDue,
                                    std::function<void()> runDue) {
  clock_ = clock;
  nextDue_ = std::move(nextDue);
  runDue_ = std::move(runDue);
}

void SimUserInterface::QueueDialogCommand(std::uint64_t afterMs, int control) {
  dialogCommands_.emplace_back(afterMs, control);
}

SimDialog* SimUserInterface::Find(Window window) {
  for (SimDialog& dialog : dialogs_)
    if (dialog.window == window && !dialog.ended) return &dialog;
  return nullptr;
}

void SimUserInterface::Changed(const SimDialog& dialog) {
  if (dialogObserver_) dialogObserver_(dialog);
}

std::optional<std::uint64_t> SimUserInterface::NextEvent(const SimDialog& dialog) {
  std::optional<std::uint64_t> next = nextDue_ ? nextDue_() : std::nullopt;
  auto consider = [&next](std::uint64_t tick) {
    if (!next || tick < *next) next = tick;
  };
  for (const auto& [key, timer] : timers_)
    if (key.first == dialog.window) consider(timer.due);
  for (const auto& command : pendingCommands_) consider(command.first);
  return next;
}

// Posts the timer messages and the button presses that are due by now.
void SimUserInterface::PostDue(SimDialog& dialog) {
  const std::uint64_t now = clock_->Ticks();
  for (auto it = pendingCommands_.begin(); it != pendingCommands_.end();) {
    if (it->first > now) {
      ++it;
      continue;
    }
    PostWindowMessage(dialog.window, wm::Command, static_cast<std::uintptr_t>(it->second), 0);
    it = pendingCommands_.erase(it);
  }
  for (auto& [key, timer] : timers_) {
    if (key.first != dialog.window || timer.due > now) continue;
    PostWindowMessage(dialog.window, wm::Timer, key.second, 0);
    timer.due = now + timer.interval;
  }
}

std::intptr_t SimUserInterface::RunModalDialog(std::uint32_t resourceId, Window owner,
                                               DialogHandler& handler) {
  if (!dialogsAvailable_ || resourceId != kProgressDialog || clock_ == nullptr) return -1;
  SimDialog opened;
  opened.window = kFirstDialogWindow + dialogs_.size() * 0x10;
  opened.resourceId = resourceId;
  opened.caption = L"Tamber 4 Setup";
  opened.itemTexts = {{1, L"OK"}, {2, L"Cancel"}, {1000, L"Downloading... "},
                      {1002, L"Progress..."}, {1003, L"Progress..."}};
  opened.openedAt = clock_->Ticks();
  dialogs_.push_back(opened);
  const Window window = opened.window;
  const Window previousActive = activeWindow_;
  activeWindow_ = window;
  pendingCommands_.clear();
  for (const auto& [afterMs, control] : dialogCommands_)
    pendingCommands_.emplace_back(opened.openedAt + afterMs, control);
  dialogCommands_.clear();
  (void)owner;
  handler.OnMessage(window, wm::InitDialog, 0, 0);
  while (SimDialog* dialog = Find(window)) {
    if (cancelPoll_ && cancelPoll_()) PostWindowMessage(window, wm::Command, mb::IdCancel, 0);
    auto posted = std::find_if(posted_.begin(), posted_.end(),
                               [window](const Posted& p) { return p.window == window; });
    if (posted != posted_.end()) {
      const Posted message = *posted;
      posted_.erase(posted);
      handler.OnMessage(window, message.message, message.wParam, message.lParam);
      continue;
    }
    const std::optional<std::uint64_t> next = NextEvent(*dialog);
    if (!next || *next > dialog->openedAt + kLongestDialogMs) {
      EndDialog(window, -1);
      break;
    }
    if (*next > clock_->Ticks()) clock_->Advance(*next - clock_->Ticks());
    if (runDue_) runDue_();
    if ((dialog = Find(window)) != nullptr) PostDue(*dialog);
  }
  for (auto it = timers_.begin(); it != timers_.end();)
    it = it->first.first == window ? timers_.erase(it) : std::next(it);
  posted_.erase(std::remove_if(posted_.begin(), posted_.end(),
                               [window](const Posted& p) { return p.window == window; }),
                posted_.end());
  activeWindow_ = previousActive;
  for (const SimDialog& dialog : dialogs_)
    if (dialog.window == window) return dialog.result;
  return -1;
}

bool SimUserInterface::EndDialog(Window window, std::intptr_t result) {
  SimDialog* dialog = Find(window);
  if (dialog == nullptr) return false;
  dialog->ended = true;
  dialog->result = result;
  dialog->endedAt = clock_->Ticks();
  Changed(*dialog);
  return true;
}

bool SimUserInterface::SetWindowCaption(Window window, const std::wstring& text) {
  SimDialog* dialog = Find(window);
  if (dialog == nullptr) return false;
  dialog->caption = text;
  Changed(*dialog);
  return true;
}

bool SimUserInterface::SetDialogItemText(Window window, int item, const std::wstring& text) {
  SimDialog* dialog = Find(window);
  if (dialog == nullptr || dialog->itemTexts.count(item) == 0) return false;
  dialog->itemTexts[item] = text;
  Changed(*dialog);
  return true;
}

std::intptr_t SimUserInterface::SendDialogItemMessage(Window window, int item,
                                                      std::uint32_t message, std::uintptr_t wParam,
                                                      std::intptr_t lParam) {
  constexpr int kProgressBar = 1001;
  SimDialog* dialog = Find(window);
  if (dialog == nullptr || item != kProgressBar) return 0;
  if (message == wm::ProgressSetRange) {
    dialog->rangeLow = static_cast<int>(lParam & 0xFFFF);
    dialog->rangeHigh = static_cast<int>((lParam >> 16) & 0xFFFF);
    return 0;
  }
  if (message != wm::ProgressSetPos) return 0;
  const int previous = dialog->position;
  dialog->position = std::clamp(static_cast<int>(wParam), dialog->rangeLow, dialog->rangeHigh);
  ++dialog->positionUpdates;
  Changed(*dialog);
  return previous;
}

bool SimUserInterface::PostWindowMessage(Window window, std::uint32_t message, std::uintptr_t wParam,
                                   std::intptr_t lParam) {
  if (Find(window) == nullptr) return false;
  posted_.push_back({window, message, wParam, lParam});
  return true;
}

bool SimUserInterface::SetTimer(Window window, std::uintptr_t id, std::uint32_t milliseconds) {
  if (Find(window) == nullptr) return false;
  timers_[{window, id}] = {milliseconds, clock_->Ticks() + milliseconds};
  return true;
}

bool SimUserInterface::KillTimer(Window window, std::uintptr_t id) {
  return timers_.erase({window, id}) != 0;
}

bool SimUserInterface::SetForegroundWindow(Window window) {
  SimDialog* dialog = Find(window);
  if (dialog == nullptr) return false;
  dialog->foreground = true;
  return true;
}

void SimUserInterface::CenterWindow(Window window, Window) {
  if (SimDialog* dialog = Find(window)) dialog->centered = true;
}

}  // namespace platform::sim
