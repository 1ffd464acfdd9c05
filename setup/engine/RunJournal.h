// The progress of a run, kept beside its working copy while it runs ("<copy>.progress"):
// the lines the run started from, then each line it rewrote. The records of rewritten lines
// wait in memory and are written together at Sync: before a line acts on the machine and
// after it acted, so that a line that did nothing to the machine costs no write.
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

  // Records the lines `script` noted as changed and clears the notes.
  void Record(Script& script);

  // Writes what was recorded and makes it durable: before a line whose command acts on the
  // machine, after such a line, and before a run that could not save its working copy
  // ends. A record not yet synced is lost with the power.
  void Sync();

  // The run ended in order: the journal is removed.
  void Finish();

 private:
  // Adds the record of line `index` now reading `line` to the pending records.
  void AppendRecord(int index, const std::wstring& line);

  std::wstring path_;
  platform::ScopedHandle file_;
  std::string pending_;  // records not written yet, as UTF-16LE bytes
};

}  // namespace setup
