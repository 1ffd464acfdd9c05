// The progress dialog of a simulated run, drawn on the terminal: the file line, a bar, the
// percentage and the megabytes done of the total; a plain line per 10% when the output is
// not a terminal. Ctrl-C presses the dialog's Cancel button, and the cancel question that
// follows is asked on the terminal.
#pragma once

#include <cstdio>
#include <string>

#include "platform/sim/SimMachine.h"

namespace tamber4sim {

class ProgressBar {
 public:
  ProgressBar(platform::sim::SimMachine& machine, std::FILE* out);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

 private:
  void Show(const platform::sim::SimDialog& dialog);

  platform::sim::SimMachine& machine_;
  std::FILE* out_;
  bool terminal_;
  int lastTenth_ = -1;
  std::string lastLine_;
};

}  // namespace tamber4sim
