// Pausing and resuming Windows Update's Automatic Updates for the length of one run.
#pragma once

#include "ComUtil/ComPtr.h"
#include "platform/AutomaticUpdates.h"

namespace setup {

class WindowsUpdateClient {
 public:
  // Creates the Automatic Updates object on the first call, keeping it for the client's
  // life, and pauses Automatic Updates. A failed Pause is logged; an object that cannot be
  // created raises (_com_error), which ends the run.
  void Pause();
  // Resumes Automatic Updates paused by this client. Without an earlier Pause, and when
  // Resume fails, logs an Error and does nothing more.
  void Resume();

 private:
  // Released, without resuming, when the client goes: Windows resumes by itself later.
  ComUtil::ComPtr<platform::IAutomaticUpdates> updates_;
};

}  // namespace setup
