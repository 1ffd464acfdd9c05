// The user of the simulated machine: message boxes are answered from a queue that the test
// fills, and every box shown is recorded. Modal dialogs run a message loop on the virtual
// clock: posted messages first, then the clock moves to the next timer, the next button the
// test presses, or the next moment the loop's activity (the transfer service) is due.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/UserInterface.h"

namespace platform::sim {

struct ShownBox {
  MessageBoxRequest request;
  int answer = 0;
  bool defaulted = false;  // the queue was empty: the box's default answer was taken
};

class SimClock;

// A dialog as it looks now (or looked when it ended).
struct SimDialog {
  Window window = 0;
  std::uint32_t resourceId = 0;
  std::wstring caption;
  std::map<int, std::wstring> itemTexts;
  int rangeLow = 0, rangeHigh = 100, position = 0;
  int positionUpdates = 0;  // PBM_SETPOS messages received
  bool centered = false, foreground = false;
  bool ended = false;
  std::intptr_t result = 0;
  std::uint64_t openedAt = 0, endedAt = 0;  // ticks
};

class SimUserInterface : public UserInterface {
 public:
  // A dialog that runs longer than this on the virtual clock ends with -1: on Windows it
  // would keep the user waiting for ever.
  static constexpr std::uint64_t kLongestDialogMs = 48ull * 3600 * 1000;

  // Records the box and answers with the next queued answer; with none queued, the answer
  // source's answer when it gives one; else a box with Yes and No buttons gets IDNO, one
  // with a Cancel button IDCANCEL, any other IDOK.
  int ShowMessageBox(const MessageBoxRequest& request) override;

  // Dialog 128 (the progress dialog) exists; any other resource id gives -1.
  std::intptr_t RunModalDialog(std::uint32_t resourceId, Window owner,
                               DialogHandler& handler) override;
  bool EndDialog(Window dialog, std::intptr_t result) override;
  bool SetWindowCaption(Window window, const std::wstring& text) override;
  bool SetDialogItemText(Window dialog, int item, const std::wstring& text) override;
  std::intptr_t SendDialogItemMessage(Window dialog, int item, std::uint32_t message,
                                      std::uintptr_t wParam, std::intptr_t lParam) override;
  bool PostWindowMessage(Window window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
  bool SetTimer(Window window, std::uintptr_t id, std::uint32_t milliseconds) override;
  bool KillTimer(Window window, std::uintptr_t id) override;
  Window ActiveWindow() override { return activeWindow_; }
  bool SetForegroundWindow(Window window) override;
  void CenterWindow(Window window, Window owner) override;

  // --- The modal loop's clock and activity (set by the machine).
  void SetModalLoop(SimClock* clock, std::function<std::optional<std::uint64_t>()> nextDue,
                    std::function<void()> runDue);
  // The user presses the button `control` of the next dialog `afterMs` after it opened.
  void QueueDialogCommand(std::uint64_t afterMs, int control);
  // Dialogs cannot be created (no display): RunModalDialog gives -1.
  void SetDialogsAvailable(bool available) { dialogsAvailable_ = available; }
  const std::deque<SimDialog>& Dialogs() const { return dialogs_; }
  // Called after every change of a dialog's texts or bar, and when it ends.
  void SetDialogObserver(std::function<void(const SimDialog&)> observer) {
    dialogObserver_ = std::move(observer);
  }
  // Asked on every turn of a modal loop: true presses the dialog's Cancel button (Ctrl-C).
  void SetCancelPoll(std::function<bool()> poll) { cancelPoll_ = std::move(poll); }

  // Queues the answer to the next box (0 stands for a box that could not be shown).
  void QueueAnswer(int answer) { answers_.push_back(answer); }
  const std::deque<int>& QueuedAnswers() const { return answers_; }
  void ClearAnswers() { answers_.clear(); }
  const std::vector<ShownBox>& Boxes() const { return boxes_; }
  // Asked for a box when no answer is queued (tamber4sim asks on the terminal); no value
  // leaves the box to its default answer.
  void SetAnswerSource(std::function<std::optional<int>(const MessageBoxRequest&)> source) {
    answerSource_ = std::move(source);
  }
  // Called for every box after it was answered (tamber4sim prints them).
  void SetObserver(std::function<void(const ShownBox&)> observer) { observer_ = std::move(observer); }

  // The answer a user closing the box without choosing would give.
  static int DefaultAnswer(std::uint32_t style);

 private:
  std::deque<int> answers_;
  std::vector<ShownBox> boxes_;
  std::function<void(const ShownBox&)> observer_;
  std::function<std::optional<int>(const MessageBoxRequest&)> answerSource_;

  struct Posted {
    Window window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
  };
  struct Timer {
    std::uint32_t interval;
    std::uint64_t due;
  };
  SimDialog* Find(Window window);
  void Changed(const SimDialog& dialog);
  // The next tick something happens for the dialog; none when nothing ever will.
  std::optional<std::uint64_t> NextEvent(const SimDialog& dialog);
  void PostDue(SimDialog& dialog);

  SimClock* clock_ = nullptr;
  std::function<std::optional<std::uint64_t>()> nextDue_;
  std::function<void()> runDue_;
  std::deque<SimDialog> dialogs_;
  std::deque<Posted> posted_;
  std::map<std::pair<Window, std::uintptr_t>, Timer> timers_;
  std::deque<std::pair<std::uint64_t, int>> dialogCommands_;  // for the next dialog
  std::vector<std::pair<std::uint64_t, int>> pendingCommands_;  // of the open dialog, by tick
  Window activeWindow_ = 0;
  bool dialogsAvailable_ = true;
  std::function<void(const SimDialog&)> dialogObserver_;
  std::function<bool()> cancelPoll_;
};

}  // namespace platform::sim
