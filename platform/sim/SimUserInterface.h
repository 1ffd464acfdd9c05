// The user of the simulated machine: message boxes are answered from a queue that the test
// fills, and every box shown is recorded.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "platform/UserInterface.h"

namespace platform::sim {

struct ShownBox {
  MessageBoxRequest request;
  int answer = 0;
  bool defaulted = false;  // the queue was empty: the box's default answer was taken
};

class SimUserInterface : public UserInterface {
 public:
  // Records the box and answers with the next queued answer; with none queued, a box with
  // Yes and No buttons gets IDNO, one with a Cancel button IDCANCEL, any other IDOK.
  int ShowMessageBox(const MessageBoxRequest& request) override;

  // Queues the answer to the next box (0 stands for a box that could not be shown).
  void QueueAnswer(int answer) { answers_.push_back(answer); }
  const std::deque<int>& QueuedAnswers() const { return answers_; }
  void ClearAnswers() { answers_.clear(); }
  const std::vector<ShownBox>& Boxes() const { return boxes_; }
  // Called for every box after it was answered (tamber4sim prints them).
  void SetObserver(std::function<void(const ShownBox&)> observer) { observer_ = std::move(observer); }

  // The answer a user closing the box without choosing would give.
  static int DefaultAnswer(std::uint32_t style);

 private:
  std::deque<int> answers_;
  std::vector<ShownBox> boxes_;
  std::function<void(const ShownBox&)> observer_;
};

}  // namespace platform::sim
