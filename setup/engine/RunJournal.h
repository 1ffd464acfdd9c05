// The progress of a run, kept beside its working copy while it runs ("<copy>.progress"):
// the fingerprint of the script as the run read it, the lines as they read when the first
// line acted, then each line rewritten since. The script notes the lines it
// rewrites; they are written together at Sync, before a line acts on the machine and after
// it acted, so that a line that did nothing to the machine costs no write.
// A run that ends in order removes it. A run cut off (power lost, process killed) leaves
// it, and the next run of the same script resumes from it instead of running again the
// lines that had already run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Owner.h"
#include "setup/engine/Script.h"

namespace setup {

class RunJournal {
 public:
  explicit RunJournal(const std::wstring& workingCopy);

  // The lines of a run of the script read as `read` (with `fingerprint`, see ReadScriptLines)
  // that was cut off: its lines with every line it rewrote before it was cut. None when no
  // run was cut, or when the cut run read another script and `sameFile` is false
  // (`sameFile`: the run reads its own working copy, which the cut run may have saved since
  // it started). A run that resumed a cut run and was cut in turn counts as a run of the
  // script it read, not of the lines it resumed.
  std::optional<std::vector<std::wstring>> Recover(const std::vector<std::wstring>& read,
                                                   std::uint64_t fingerprint, bool sameFile) const;

  // Begins the journal of a run of the script with `fingerprint`. The file is written only by
  // the first sync that has a line to record: a run whose lines never act on the machine
  // (or act without rewriting a line first) writes no journal and flushes nothing for it,
  // and a run cut before then leaves nothing that an afresh start would not give back.
  void Start(std::uint64_t fingerprint);

  // Writes the lines `script` noted as changed since the last sync, each as it reads now,
  // makes them durable, and clears the notes: before a line whose command acts on the
  // machine, and after such a line. Lines changed since are lost with the power, which is
  // harmless, as none of them acted. When the journal cannot be written, a Warning says so
  // and the run goes on without one.
  void Sync(Script& script);

  // The run ended in order: the journal is removed.
  void Finish();

 private:
  enum class State { NotStarted, Waiting, Open, Off };

  // Creates the file with its first bytes (the header and the opening lines), made
  // durable; on failure, warns and turns the journal off.
  void Open(const std::string& bytes);

  std::wstring path_;
  State state_ = State::NotStarted;
  // The fingerprint of the script as read, in the journal's header.
  std::wstring fingerprint_;
  platform::ScopedHandle file_;
};

}  // namespace setup
