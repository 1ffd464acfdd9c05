#include "tools/tamber4sim/ProgressBar.h"

#include <unistd.h>

#include <csignal>
#include <iostream>

#include "platform/sim/SimText.h"

namespace tamber4sim {
namespace {

constexpr int kFileLine = 1002, kByteLine = 1003;
constexpr int kBarWidth = 30;

volatile std::sig_atomic_t g_interrupted = 0;
bool g_askOnTerminal = false;

void OnInterrupt(int) { g_interrupted = 1; }

// Ctrl-C presses Cancel once; the question that follows is the user's to answer.
bool TakeInterrupt() {
  if (!g_interrupted) return false;
  g_interrupted = 0;
  g_askOnTerminal = true;
  return true;
}

std::optional<int> AskOnTerminal(const platform::MessageBoxRequest& request) {
  if (!g_askOnTerminal) return std::nullopt;
  g_askOnTerminal = false;
  std::printf("\n%s: %s [y/N] ", platform::sim::WideToUtf8(request.title).c_str(),
              platform::sim::WideToUtf8(request.text).c_str());
  std::fflush(stdout);
  std::string answer;
  std::getline(std::cin, answer);
  return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y') ? platform::mb::IdYes
                                                                     : platform::mb::IdNo;
}

std::string Text(const platform::sim::SimDialog& dialog, int item) {
  auto it = dialog.itemTexts.find(item);
  return it == dialog.itemTexts.end() ? std::string() : platform::sim::WideToUtf8(it->second);
}

}  // namespace

ProgressBar::ProgressBar(platform::sim::SimMachine& machine, std::FILE* out)
    : machine_(machine), out_(out), terminal_(isatty(fileno(out)) != 0) {
  machine_.ui().SetDialogObserver([this](const platform::sim::SimDialog& d) { Show(d); });
  machine_.ui().SetCancelPoll(TakeInterrupt);
  machine_.ui().SetAnswerSource(AskOnTerminal);
  std::signal(SIGINT, OnInterrupt);
}

ProgressBar::~ProgressBar() {
  std::signal(SIGINT, SIG_DFL);
  machine_.ui().SetDialogObserver(nullptr);
  machine_.ui().SetCancelPoll(nullptr);
  machine_.ui().SetAnswerSource(nullptr);
}

void ProgressBar::Show(const platform::sim::SimDialog& dialog) {
  const int span = dialog.rangeHigh > dialog.rangeLow ? dialog.rangeHigh - dialog.rangeLow : 1;
  const int percent = (dialog.position - dialog.rangeLow) * 100 / span;
  const std::string bytes = Text(dialog, kByteLine);
  const std::string file = Text(dialog, kFileLine);
  if (file.empty() || file == "Progress...") return;  // not initialised yet
  if (!terminal_) {
    const int tenth = dialog.ended ? 10 : percent / 10;
    if (tenth == lastTenth_ && !dialog.ended) return;
    if (dialog.ended && lastTenth_ == -2) return;
    lastTenth_ = dialog.ended ? -2 : tenth;
    std::fprintf(out_, "tamber4sim: %s %d%% (%s)%s\n", file.c_str(), percent, bytes.c_str(),
                 dialog.ended ? " - dialog closed" : "");
    std::fflush(out_);
    return;
  }
  const int filled = percent * kBarWidth / 100;
  const std::string line = file + " [" + std::string(static_cast<std::size_t>(filled), '#') +
                           std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') + "] " +
                           std::to_string(percent) + "% " + bytes;
  if (line == lastLine_ && !dialog.ended) return;
  lastLine_ = line;
  std::fprintf(out_, "\r%s\x1b[K%s", line.c_str(), dialog.ended ? "\n" : "");
  std::fflush(out_);
  if (dialog.ended) lastLine_.clear();
}

}  // namespace tamber4sim
