// The progress of a run, kept beside its working copy while it runs ("<copy>.progress"):
// the lines the run started from, then each line it rewrote, appended as the line ends.
// A run that ends in order removes it. A run cut off (power lost, process killed) leaves
// it, and the next run of the same script resumes from it instead of running again the
// lines that had already run.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Owner.h"
#include "setup/engine/Script.h"

namespace setup {

class RunJournal {
 public:
  explicit RunJournal(const std::wstring& workingCopy);

  // The lines of a run of `started` that was cut off: those lines with every line it
  // rewrote before it was cut. None when no run was cut, or when the cut run started from
  // other lines than `started` and `sameFile` is false (`sameFile`: the run reads its own
  // working copy, which the cut run may have saved since it started).
  std::optional<std::vector<std::wstring>> Recover(const std::vector<std::wstring>& started,
                                                   bool sameFile) const;

  // Begins the journal with the lines the run starts from. False, after a Warning, when it
  // cannot be written: the run goes on without one.
  bool Start(const std::vector<std::wstring>& lines);

  // Appends the lines `script` noted as changed and clears the notes.
  void Record(Script& script);

  // Appends lines as the run will store them later (index and text): what a run cut before
  // it gets to them resumes from.
  void RecordAhead(const std::vector<std::pair<int, std::wstring>>& lines);

  // Makes what was recorded durable, before a line whose command acts on the machine.
  void Sync();

  // The run ended in order: the journal is removed.
  void Finish();

 private:
  std::wstring path_;
  platform::ScopedHandle file_;
  bool unsynced_ = false;
};

}  // namespace setup
