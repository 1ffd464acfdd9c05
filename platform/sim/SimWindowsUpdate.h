// Windows Update's Automatic Updates in the simulated machine: the object the machine's COM
// creates for class AutomaticUpdates, whether it can be created, and what Pause and Resume
// do to the paused state.
#pragma once

#include <memory>

#include "platform/Com.h"
#include "platform/Types.h"

namespace platform::sim {

class SimWindowsUpdate {
 public:
  struct State {
    HResult creationResult = hr::Ok;  // a failure: the object cannot be created
    HResult pauseResult = hr::Ok;
    HResult resumeResult = hr::Ok;
    bool paused = false;
    int pauseCalls = 0;
    int resumeCalls = 0;
    int liveObjects = 0;
  };

  SimWindowsUpdate() : state_(std::make_shared<State>()) {}

  // The factory for Com::CreateInstance: a new object sharing this machine's state.
  HResult Create(const Guid& iid, void** object);

  // --- Set-up and inspection.
  // Creation fails with `result` (for example when the service is disabled or missing).
  void SetCreationResult(HResult result) { state_->creationResult = result; }
  void SetPauseResult(HResult result) { state_->pauseResult = result; }
  void SetResumeResult(HResult result) { state_->resumeResult = result; }
  void SetPaused(bool paused) { state_->paused = paused; }
  const State& state() const { return *state_; }

 private:
  std::shared_ptr<State> state_;
};

}  // namespace platform::sim
